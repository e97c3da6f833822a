#include "Hooks.h"

#include "FrameSeam.h"

namespace {
bool frozen = false;
Uint32 frozenTicks = 0;
unsigned reads = 0;
std::function<void()> swapHook;
std::function<void(Uint32)> tickHook;

// Every test executable reads its clock and swaps its buffers through here, from the start.
const bool installed = [] {
    FrameSeam::setClock([] {
        ++reads;
        const Uint32 t = frozen ? frozenTicks : FrameSeam::sdlTicks();
        if (tickHook) {
            tickHook(t);
        }
        return t;
    });
    FrameSeam::setSwap([] {
        if (swapHook) {
            swapHook();
        }
        FrameSeam::present();
    });
    return true;
}();
} // namespace

namespace hooks {

void setTicks(Uint32 ms) {
    frozen = true;
    frozenTicks = ms;
}

void advanceTicks(Uint32 ms) {
    frozenTicks += ms;
}

void useRealTicks() {
    frozen = false;
}

unsigned tickReads() {
    return reads;
}

unsigned swapCount() {
    return FrameSeam::swaps();
}

void resetCounts() {
    reads = 0;
    FrameSeam::resetSwaps();
}

void onSwap(std::function<void()> f) {
    swapHook = std::move(f);
}

void onTickRead(std::function<void(Uint32)> f) {
    tickHook = std::move(f);
}

} // namespace hooks
