#include "SwapCounter.h"

void SwapCounter::count() {
    ++counted;
}

bool SwapCounter::endsFrame() const {
    return counted > 0 && counted % 2 == 0;
}

unsigned SwapCounter::swaps() const {
    return counted;
}
