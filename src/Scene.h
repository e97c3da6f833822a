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
#include <memory>

class Texture;

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
    // False when a picture of the scene failed to load: the scene must not be played.
    bool isLoaded() const { return loaded; }

    // Unit orthographic view (x and y from -1 to 1 cover the viewport); pushes both matrices.
    void setOrtho();
    // Pops both matrices again; the model-view matrix is current afterwards.
    void unsetOrtho();

protected:
    // The set-up every scene's init repeats: pushes every attribute group, starts the clock,
    // zeroes the frame count, sets the clear colour, the 640 x 480 viewport, a 45-degree
    // perspective out to farPlane, smooth shading and the nicest perspective correction.
    // The scene adds its own state after it and sets inited last.
    void setUp(float red, float green, float blue, double farPlane);
    // Loads a picture of the scene; a failed load marks the scene as not loaded.
    std::unique_ptr<Texture> loadTexture(const char* path);

    // Sends a mesh's triangles, positions only, face by face and corner by corner.
    static void drawMesh(int numberFaces, const int* faces, const float* vertices);
    // One quad over the unit square -1..1 with the texture's corners on its corners, so a
    // picture stored bottom row first shows upright under setOrtho.
    static void drawScreenQuad();
    // Sets the clear colour of the next frame to the grey that flickers with SDL's clock
    // (not the scene's): each channel reads the clock anew, blue first, then green, then red.
    static void setFlickerClearColour();

    // Writes "<frames><label><average fps>" and an end of line to out, the average taken over
    // the scene's whole life from init to now.
    void writeStatistics(std::ostream& out, const char* label) const;
    // The shared ending of every scene's destructor: deinit, then the statistics line on
    // standard output.
    void finish(const char* label);

    Uint32 startTime = 0;
    Uint32 frames = 0;
    bool inited = false;
    bool loaded = true;
};

// The flickering grey level at an absolute tick count: sin(ticks / 10), which OpenGL clamps
// to black when negative; one period is 20 pi ms, so it strobes at any ordinary frame rate.
float flickerLevel(Uint32 ticks);

// Average frames per second over elapsedMs, as the statistics line prints it.
double averageFps(Uint32 frames, Uint32 elapsedMs);
