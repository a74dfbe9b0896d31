// Which park comes next: the clock's seconds, never the same twice in a row, or the user's
// numbers in turn.
#include "app/seeds.h"

#include "platform/platform.h"

#include <gtest/gtest.h>

TEST(SeedSequence, SeedComesFromTheClockButNeverRepeatsWithinASecond)
{
    SeedSequence seeds;
    const unsigned before = unsigned(calendarSeconds());
    const unsigned first = seeds.next();
    const unsigned second = seeds.next();
    const unsigned third = seeds.next();
    EXPECT_GE(first, before);
    EXPECT_LE(first, unsigned(calendarSeconds()));
    EXPECT_GT(second, first);
    EXPECT_GT(third, second);

    // A park made from a number far ahead of the clock is not made again by the next one.
    seeds.noteBuilt(first + 1000u);
    EXPECT_EQ(seeds.next(), first + 1001u);
}

TEST(SeedSequence, ChosenSeedsFollowOneAnotherAndWrapToZero)
{
    SeedSequence seeds;
    seeds.startAt(4294967294u);
    EXPECT_EQ(seeds.next(), 4294967294u);
    EXPECT_EQ(seeds.next(), 4294967295u);
    EXPECT_EQ(seeds.next(), 0u);
    seeds.noteBuilt(41u);
    EXPECT_EQ(seeds.next(), 42u) << "a park built from a number: the next one follows it";
}
