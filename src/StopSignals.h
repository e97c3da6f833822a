// The signals that stop the show: SIGINT (Ctrl-C), SIGTERM (kill) and SIGHUP (the terminal or
// the session went away).
//
// SDL turns SIGINT and SIGTERM into its quit request, which the show ignores as it ignores the
// window's close button; so while a StopSignals exists these three signals are the program's
// own instead. Its handler only notes the signal, and the main loop ends at its next pass, as
// Escape ends it. SDL installs its handlers only where it finds the default action, so a
// StopSignals made before SDL starts keeps them; it puts back whatever it found when it is
// destroyed, which must be after SDL has shut down. A signal that was ignored when the program
// started (nohup, a background job) stays ignored.
//
// One StopSignals exists at a time: the entry makes it first and it goes last. On Windows only
// SIGINT and SIGTERM exist.
#pragma once

class StopSignals {
public:
    StopSignals();
    ~StopSignals();

    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    // The number of the signal that asked the show to stop (the last one, if several did),
    // 0 while none has.
    static int caught();

    // What the process should exit with: 128 + the signal's number once one has stopped the
    // show, as shells report a process that a signal ended; otherwise status.
    static int exitStatus(int status);
};
