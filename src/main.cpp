// zokk: the script of the show. Music first, then the window, then the four scenes in their
// order with their running times, then the loop; everything is released in reverse.
#include "Mainloop.h"

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
    // Audio. No result is checked: without a sound device or without the music file the
    // show runs silently with the same timing, and SDL_mixer accepts a null music handle.
    Mix_OpenAudio(44100, AUDIO_S16LSB, 2, 4096);
    Mix_Music* music = Mix_LoadMUS("data/yo.ogg");
    Mix_FadeInMusic(music, 1, 100);
    Mix_SetMusicPosition(30.0);

    int status = 0;
    {
        Mainloop mainloop;
        if (mainloop.hasWindow()) {
            mainloop.run();
        } else {
            // The window has said what went wrong; without a context nothing can be drawn.
            status = 1;
        }

        Mix_FreeMusic(music);
        Mix_CloseAudio();
    } // the window closes and SDL shuts down here, after the audio device
    return status;
}
