// The stop signals' handlers, installed and given back, in the test process itself.
#include "StopSignals.h"

#include <csignal>
#include <gtest/gtest.h>

namespace {

void (*handlerOf(int signal))(int) {
    struct sigaction now {};
    sigaction(signal, nullptr, &now);
    return now.sa_handler;
}

// SIGHUP ignored, as under nohup: it stays ignored.
TEST(StopSignals, NotesEachStopSignalAndGivesBackTheHandlersItFound) {
    std::signal(SIGHUP, SIG_IGN);
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
        SCOPED_TRACE(signal);
        {
            StopSignals stop;
            EXPECT_EQ(StopSignals::exitStatus(1), 1);
            std::raise(signal);
            const int caught = signal == SIGHUP ? 0 : signal;
            EXPECT_EQ(StopSignals::caught(), caught);
            EXPECT_EQ(StopSignals::exitStatus(1), caught ? 128 + caught : 1);
        }
        EXPECT_EQ(handlerOf(signal), signal == SIGHUP ? SIG_IGN : SIG_DFL);
    }
    std::signal(SIGHUP, SIG_DFL);
}

} // namespace
