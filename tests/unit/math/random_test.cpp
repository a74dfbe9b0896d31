#include "math/random.h"

#include <gtest/gtest.h>

TEST(Random, FollowsThePortableGenerator)
{
    // The first values of the C standard's example generator seeded with 1.
    seedRandom(1);
    EXPECT_EQ(nextRandom(), 16838);
    EXPECT_EQ(nextRandom(), 5758);
    EXPECT_EQ(nextRandom(), 10113);
}

TEST(Random, SameSeedSameSequence)
{
    seedRandom(1234);
    int first[50];
    for (int& value : first)
    {
        value = nextRandom();
    }
    seedRandom(1234);
    for (int value : first)
    {
        EXPECT_EQ(nextRandom(), value);
    }
}

TEST(Random, StaysWithinItsRange)
{
    seedRandom(99);
    int lowest = kRandomMax;
    int highest = 0;
    for (int i = 0; i < 200000; ++i)
    {
        const int value = nextRandom();
        ASSERT_GE(value, 0);
        ASSERT_LE(value, kRandomMax);
        lowest = std::min(lowest, value);
        highest = std::max(highest, value);
    }
    EXPECT_EQ(lowest, 0);
    EXPECT_EQ(highest, kRandomMax);
}

TEST(Random, RangeReachesBothEnds)
{
    // Find seeds whose next draw is 0 and 32767 by scanning: the formula must map them to a and b.
    bool sawLow = false;
    bool sawHigh = false;
    for (unsigned seed = 0; seed < 2000000 && !(sawLow && sawHigh); ++seed)
    {
        seedRandom(seed);
        const int r = nextRandom();
        if (r == 0 || r == kRandomMax)
        {
            seedRandom(seed);
            const float value = randomRange(10.0f, 100.0f);
            EXPECT_EQ(value, r == 0 ? 10.0f : 100.0f);
            (r == 0 ? sawLow : sawHigh) = true;
        }
    }
    EXPECT_TRUE(sawLow);
    EXPECT_TRUE(sawHigh);
}

// A sequence of its own gives the park's numbers without moving the park's one sequence.
TEST(Random, SequenceOfItsOwnLeavesTheParksAlone)
{
    seedRandom(42);
    const int first = nextRandom();
    seedRandom(42);
    RandomSequence own(42);
    EXPECT_EQ(own.next(), first);
    for (int i = 0; i < 100; ++i)
    {
        own.next();
    }
    EXPECT_EQ(nextRandom(), first);
    seedRandom(7);
    RandomSequence again(7);
    EXPECT_EQ(again.range(2.0f, 4.0f), randomRange(2.0f, 4.0f));
}
