// An OpenGL context for the gl tests: the demo's own SDLWindow, opened once per test program
// on the test's Xvfb and closed when the program ends. Tests that build a Mainloop make their
// own window and must not use this one in the same program.
#pragma once

namespace glwindow {

// Opens the window on first use; returns false (and the test should stop) when no context
// could be made.
bool open();

// Error flags pending in OpenGL, drained; 0 when there were none (else the first one seen).
unsigned pendingError();

} // namespace glwindow
