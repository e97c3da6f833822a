// The base of the demo's timed scenes.
//
// A scene pushes its OpenGL set-up on init and pops it on deinit, measures its own time from
// init with SDL's millisecond counter, counts the frames it draws, and can switch the matrices
// to a unit orthographic view for screen-filling quads. A plain Scene draws nothing; the
// demo's scenes override the destructor, init and render, and each destructor reports the
// scene's frame statistics on standard output.
#pragma once

#include <SDL.h>
#include <iosfwd>

class Scene {
public:
    Scene() = default;
    virtual ~Scene() = default;

    Scene(const Scene&) = delete;
    Scene& operator=(const Scene&) = delete;

    // The common set-up: pushes every attribute group, starts the clock, zeroes the frame
    // count, sets a black clear colour, the 640 x 480 viewport and a 45-degree perspective.
    virtual void init();
    // Pops the attribute level that init pushed. Popping twice is harmless: a scene that is
    // no longer initialised pops nothing, so its destructor can always call this.
    virtual void deinit();
    // Draws one frame; the base draws nothing and does not swap.
    virtual void render() {}

    // Milliseconds since init, modulo 2^32, so a wrap of the tick counter still counts right.
    Uint32 getTime() const { return SDL_GetTicks() - startTime; }
    bool isInited() const { return inited; }
    Uint32 frameCount() const { return frames; }

    // Unit orthographic view (x and y from -1 to 1 cover the viewport); pushes both matrices.
    void setOrtho();
    // Pops both matrices again; the model-view matrix is current afterwards.
    void unsetOrtho();

protected:
    // Writes "<frames><label><average fps>" and an end of line to out, the average taken over
    // the scene's whole life from init to now.
    void writeStatistics(std::ostream& out, const char* label) const;
    // The shared ending of every scene's destructor: deinit, then the statistics line on
    // standard output.
    void finish(const char* label);

    Uint32 startTime = 0;
    Uint32 frames = 0;
    bool inited = false;
};

// Average frames per second over elapsedMs, as the statistics line prints it.
double averageFps(Uint32 frames, Uint32 elapsedMs);
