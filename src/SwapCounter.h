// Tells the show's two buffer swaps per pass of the main loop apart.
//
// Every pass swaps twice: SDLWindow::handleEvents swaps as the pass begins, before anything is
// drawn, and the current scene's render swaps again when its frame is complete. The last pass
// handles the events, finds the show over and swaps no more; Escape ends a pass before its
// first swap. Whatever stands in for SDL_GL_SwapBuffers to see the show's frames (the video
// capture, the web page, the test builds) counts each swap here and asks whether it ends a
// scene's frame, the only swap with something new to show.
#pragma once

class SwapCounter {
public:
    // Counts a swap of the show's, as it is about to happen.
    void count();
    // True when the swap counted last ends a scene's frame (the second of its pass); false for
    // the swap that begins a pass, and before the first swap.
    bool endsFrame() const;
    // Swaps counted so far.
    unsigned swaps() const;

private:
    unsigned counted = 0;
};
