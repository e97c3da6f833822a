// zokk: plays the show. Music first, then the window, then the four scenes in their order
// with their running times (both as Script sets them), then the loop; everything is released
// in reverse. SIGINT, SIGTERM and SIGHUP end the show as Escape does, and the exit status then
// says which signal it was (128 + its number).
#include "Mainloop.h"
#include "Script.h"
#include "StopSignals.h"

#include <SDL.h>
#include <SDL_mixer.h>

namespace globals {

// A process-wide singleton, kept for code that wants one; nothing in the show uses it.
class Globals {
public:
    static Globals* Instance();

protected:
    Globals() {}

private:
    static Globals* pinstance;
};

Globals* Globals::pinstance = nullptr;

Globals* Globals::Instance() {
    if (!pinstance) {
        pinstance = new Globals();
    }
    return pinstance;
}

} // namespace globals

int main(int, char*[]) {
    // Before anything starts SDL, so that SDL leaves these signals to the show; the handlers
    // it found come back after SDL has shut down.
    StopSignals stopSignals;

    // Audio. No result is checked: without a sound device or without the music file the
    // show runs silently with the same timing, and SDL_mixer accepts a null music handle.
    Mix_OpenAudio(Script::audioRate, Script::audioFormat, Script::audioChannels,
                  Script::audioChunk);
    Mix_Music* music = Mix_LoadMUS(Script::musicFile);
    Mix_FadeInMusic(music, 1, Script::fadeInMs);
    Mix_SetMusicPosition(Script::musicStart);

    int status = 0;
    {
        Mainloop mainloop;
        // Each scene is built inside the window's OpenGL context and queued before the next
        // one is built; the first failure stops the building.
        if (mainloop.hasWindow() && Script::queueScenes(mainloop)) {
            mainloop.run();
            // A display that went away during the show has ended it: a failure, as when the
            // window could not open.
            if (!mainloop.hasWindow()) {
                status = 1;
            }
        } else {
            // The window or the picture loader has said what went wrong.
            status = 1;
        }

        Mix_FreeMusic(music);
        Mix_CloseAudio();
    } // the window closes and SDL shuts down here, after the audio device
    return StopSignals::exitStatus(status);
}
