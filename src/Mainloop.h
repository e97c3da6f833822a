// The demo's frame loop and its queue of timed scenes.
//
// Mainloop owns the window (created first, so every scene is built inside its OpenGL context)
// and a first-in, first-out queue of scenes with their running times. run() handles input,
// initialises the current scene when it starts, switches to the next scene once the current
// one has run its time, and lets the current scene draw and present one frame, as fast as
// drawing and the display's refresh allow.
#pragma once

#include <queue>

class Scene;
class SDLWindow;

struct sceneDesc {
    Scene* scene;          // null once the scene has been deleted
    unsigned int duration; // milliseconds, measured from the scene's init
};

class Mainloop {
public:
    Mainloop();
    // Closes the window and shuts SDL down. Scenes still queued (after Escape or a stop
    // signal) are left undeleted on purpose: deleting one would report statistics for a scene
    // that never finished, and the OpenGL objects they hold end with the context.
    ~Mainloop();

    Mainloop(const Mainloop&) = delete;
    Mainloop& operator=(const Mainloop&) = delete;

    // Queues scene to run for duration milliseconds; the loop owns it from now on.
    void addScene(Scene* scene, unsigned int duration);
    // Runs until the last scene has run its time, Escape is pressed or a stop signal arrives
    // (StopSignals); returns 0. An empty queue returns at once.
    int run();
    // Entries still queued, the current one included.
    int scenesInQue() const;
    // Deletes the front scene (its destructor writes its statistics) and drops its entry.
    void popScene();

    // False when SDL or the OpenGL video mode could not be set up, or the display it showed on
    // has gone away.
    bool hasWindow() const;

private:
    std::queue<sceneDesc> scenes;
    SDLWindow* window;
};
