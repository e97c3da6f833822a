// The stop signals' handlers, installed and given back, within the test process itself.
#include "StopSignals.h"

#include <csignal>
#include <gtest/gtest.h>

namespace {

using Handler = void (*)(int);

Handler handlerOf(int signal) {
    struct sigaction now {};
    sigaction(signal, nullptr, &now);
    return now.sa_handler;
}

void own(int) {}

TEST(StopSignals, NotesEachStopSignalAndAsksForItsExitStatus) {
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
        SCOPED_TRACE(signal);
        StopSignals stop;
        EXPECT_EQ(StopSignals::caught(), 0);
        EXPECT_EQ(StopSignals::exitStatus(1), 1);
        std::raise(signal); // the process lives on
        EXPECT_EQ(StopSignals::caught(), signal);
        EXPECT_EQ(StopSignals::exitStatus(0), 128 + signal);
        EXPECT_EQ(StopSignals::exitStatus(1), 128 + signal);
    }
}

TEST(StopSignals, GivesBackTheHandlersItFound) {
    std::signal(SIGTERM, own);
    {
        StopSignals stop;
        EXPECT_NE(handlerOf(SIGTERM), own);
        EXPECT_NE(handlerOf(SIGINT), SIG_DFL);
    }
    EXPECT_EQ(handlerOf(SIGTERM), own);
    EXPECT_EQ(handlerOf(SIGINT), SIG_DFL);
    EXPECT_EQ(handlerOf(SIGHUP), SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
}

// As under nohup, or for a background job of a shell without job control.
TEST(StopSignals, LeavesAnIgnoredSignalIgnored) {
    std::signal(SIGHUP, SIG_IGN);
    {
        StopSignals stop;
        std::raise(SIGHUP);
        EXPECT_EQ(StopSignals::caught(), 0);
        EXPECT_EQ(StopSignals::exitStatus(0), 0);
    }
    EXPECT_EQ(handlerOf(SIGHUP), SIG_IGN);
    std::signal(SIGHUP, SIG_DFL);
}

} // namespace
