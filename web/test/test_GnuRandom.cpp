// The page's rand() against the C library it stands in for: the same numbers for the same
// seeds, including the ones the C library treats specially.
#include "GnuRandom.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

void expectSameAsLibrary(unsigned seed, int count) {
    GnuRandom ours;
    ours.seed(seed);
    std::srand(seed);
    for (int i = 0; i < count; ++i) {
        ASSERT_EQ(ours.next(), std::rand()) << "seed " << seed << ", number " << i;
    }
}

} // namespace

TEST(GnuRandom, FollowsTheCLibraryForEverySeed) {
    // 0 seeds as 1; seeds from 2^31 on are negative in the library's arithmetic.
    for (unsigned seed : {0u, 1u, 2u, 42u, 100000u, 2147483647u, 2147483648u, 4294967295u}) {
        expectSameAsLibrary(seed, 2000);
    }
}

TEST(GnuRandom, StartsAsIfSeededWithOne) {
    GnuRandom fresh;
    std::srand(1);
    for (int i = 0; i < 100; ++i) {
        ASSERT_EQ(fresh.next(), std::rand());
    }
}

TEST(GnuRandom, ReseedingRestartsTheSequence) {
    GnuRandom random;
    random.seed(7);
    const int first = random.next();
    random.next();
    random.seed(7);
    EXPECT_EQ(random.next(), first);
}
