// zokk: the script of the show. Music first, then the window, then the four scenes in their
// order with their running times, then the loop; everything is released in reverse.
#include "Mainloop.h"
#include "Sample.h"
#include "Sample2.h"
#include "Sample3.h"
#include "Sample4.h"

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

namespace {

// Queues a freshly built scene; false when one of its pictures failed to load (the loader
// has said which), so the show must not start.
bool queue(Mainloop& mainloop, Scene* scene, unsigned int duration) {
    mainloop.addScene(scene, duration);
    return scene->isLoaded();
}

} // namespace

int main(int, char*[]) {
    // Audio. No result is checked: without a sound device or without the music file the
    // show runs silently with the same timing, and SDL_mixer accepts a null music handle.
    Mix_OpenAudio(44100, AUDIO_S16LSB, 2, 4096);
    Mix_Music* music = Mix_LoadMUS("data/yo.ogg");
    Mix_FadeInMusic(music, 1, 100);
    Mix_SetMusicPosition(30.0);

    int status = 0;
    {
        Mainloop mainloop;
        // Each scene is built inside the window's OpenGL context and queued before the next
        // one is built; the first failure stops the building.
        const bool ready = mainloop.hasWindow() && queue(mainloop, new Sample(), 6300) &&
                           queue(mainloop, new Sample2(), 3000) &&
                           queue(mainloop, new Sample3(), 7400) &&
                           queue(mainloop, new Sample4(), 13200);
        if (ready) {
            mainloop.run();
        } else {
            // The window or the picture loader has said what went wrong.
            status = 1;
        }

        Mix_FreeMusic(music);
        Mix_CloseAudio();
    } // the window closes and SDL shuts down here, after the audio device
    return status;
}
