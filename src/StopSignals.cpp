#include "StopSignals.h"

#include <csignal>

namespace {

// Written only by the handler, read by the main loop: nothing else is safe in a handler.
volatile std::sig_atomic_t received = 0;

extern "C" void note(int signal) {
    received = signal;
}

#ifdef _WIN32

const int stopping[] = {SIGINT, SIGTERM};
void (*previous[2])(int) = {};

#else

const int stopping[] = {SIGINT, SIGTERM, SIGHUP};
struct sigaction previous[3];

#endif

constexpr int count = sizeof stopping / sizeof stopping[0];

} // namespace

#ifdef _WIN32

StopSignals::StopSignals() {
    received = 0;
    for (int i = 0; i < count; ++i) {
        previous[i] = std::signal(stopping[i], note);
        if (previous[i] == SIG_IGN) {
            std::signal(stopping[i], SIG_IGN);
        }
    }
}

StopSignals::~StopSignals() {
    for (int i = 0; i < count; ++i) {
        std::signal(stopping[i], previous[i]);
    }
}

#else

StopSignals::StopSignals() {
    received = 0;
    struct sigaction action {};
    action.sa_handler = note;
    // Blocking calls (a write to the encoder's pipe, a read from the X server) go on after
    // the handler instead of failing with EINTR; the loop sees the signal at its next pass.
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    for (int i = 0; i < count; ++i) {
        sigaddset(&action.sa_mask, stopping[i]);
    }
    for (int i = 0; i < count; ++i) {
        sigaction(stopping[i], nullptr, &previous[i]);
        if (previous[i].sa_handler != SIG_IGN) {
            sigaction(stopping[i], &action, nullptr);
        }
    }
}

StopSignals::~StopSignals() {
    for (int i = 0; i < count; ++i) {
        sigaction(stopping[i], &previous[i], nullptr);
    }
}

#endif

int StopSignals::caught() {
    return received;
}

int StopSignals::exitStatus(int status) {
    return received != 0 ? 128 + received : status;
}
