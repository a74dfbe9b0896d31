// The captions' lines: the side a sound is on, how near, counting a repeat, fading, four at most,
// and the beds' line when one comes in.
#include "app/captions.h"

#include "math/angles.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace
{
// The view 23.5 degrees clockwise from -z, seen from above; a sound `degrees` clockwise from
// where it looks, `distance` away.
const float kViewYaw = 23.5f;

Vector3 forwardAt(float yaw)
{
    return Vector3(std::sin(yaw * kDegreesToRadians), 0.0f, -std::cos(yaw * kDegreesToRadians));
}

Vector3 soundAt(float degrees, float distance)
{
    return forwardAt(kViewYaw + degrees) * distance + Vector3(3.0f, 1.0f, -7.0f);
}

std::string textOf(const Captions& captions, int index)
{
    char text[96];
    captions.text(index, text, sizeof text);
    return text;
}
} // namespace

TEST(Captions, EachSoundIsOnOneOfEightSidesOfTheView)
{
    const Vector3 listener(3.0f, 1.0f, -7.0f);
    const CaptionArrow expected[8] = {
        CaptionArrow::Ahead,  CaptionArrow::AheadRight, CaptionArrow::Right,
        CaptionArrow::BehindRight, CaptionArrow::Behind, CaptionArrow::BehindLeft,
        CaptionArrow::Left,   CaptionArrow::AheadLeft};
    for (int side = 0; side < 8; ++side)
    {
        for (float off : {-20.0f, 0.0f, 21.0f})
        {
            const float degrees = 45.0f * float(side) + off;
            EXPECT_EQ(captionArrow(listener, forwardAt(kViewYaw), soundAt(degrees, 80.0f)),
                      expected[side])
                << degrees << " degrees clockwise";
        }
    }
}

TEST(Captions, ARepeatCountsUpWhereItWasHeardLastAndFadesAfterItsSoundEnds)
{
    Captions captions;
    captions.setSoundSeconds(ParkSound::HeavyStep, 0.4);
    captions.setListener(Vector3(3.0f, 1.0f, -7.0f), forwardAt(kViewYaw), Vector3(0, 1, 0));
    captions.play(ParkSound::HeavyStep, soundAt(-90.0f, 30.0f), 1.0f, 1.0f);
    ASSERT_EQ(captions.lineCount(), 1);
    EXPECT_EQ(textOf(captions, 0), "heavy footsteps, near");
    EXPECT_EQ(captions.line(0).arrow, CaptionArrow::Left);
    captions.advance(0.3);
    captions.play(ParkSound::HeavyStep, soundAt(178.0f, 30.0f), 1.0f, 1.0f);
    captions.play(ParkSound::HeavyStep, soundAt(178.0f, 400.0f), 1.0f, 1.0f);
    ASSERT_EQ(captions.lineCount(), 1) << "counted, not stacked";
    EXPECT_EQ(textOf(captions, 0), "heavy footsteps \xc3\x97" "3, far");
    EXPECT_EQ(captions.line(0).arrow, CaptionArrow::Behind);

    captions.advance(0.39);
    EXPECT_EQ(captions.opacity(0), 1.0f) << "while its last sound plays";
    captions.advance(0.5);
    EXPECT_NEAR(captions.opacity(0), 0.51f, 0.01f) << "then fading";
    captions.advance(0.52);
    EXPECT_EQ(captions.lineCount(), 0) << "gone a second after";
}

TEST(Captions, FourLinesAtMostTheOldestGivingWayAndTheBedsOnceWhenTheyComeIn)
{
    Captions captions;
    captions.setListener(Vector3(), forwardAt(0.0f), Vector3(0, 1, 0));
    captions.setBedGain(ParkSound::Insects, 0.2f);
    EXPECT_EQ(captions.lineCount(), 0) << "faint insects do not come in";
    captions.setBedGain(ParkSound::Insects, 0.45f);
    ASSERT_EQ(captions.lineCount(), 1);
    EXPECT_EQ(textOf(captions, 0), "insects at night") << "a bed has no side and no distance";
    EXPECT_EQ(captions.line(0).arrow, CaptionArrow::None);
    captions.setBedGain(ParkSound::Insects, 0.5f);
    EXPECT_EQ(captions.line(0).count, 1) << "told once as it comes in";

    for (ParkSound sound : {ParkSound::Roar, ParkSound::Call, ParkSound::Knock, ParkSound::Screech})
    {
        captions.advance(0.1);
        captions.play(sound, Vector3(0.0f, 0.0f, -50.0f), 1.0f, 1.0f);
    }
    ASSERT_EQ(captions.lineCount(), kMostCaptionLines);
    EXPECT_EQ(textOf(captions, 0), "tyrannosaur roars, near") << "the insects gave way";
    EXPECT_EQ(textOf(captions, 3), "pterosaur screech, near");
}
