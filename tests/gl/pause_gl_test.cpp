// The pause: the whole park held (every animal in mid-pose, the day) while the eye walks and
// looks, pictures of the held world, and the park going on exactly where it stopped.
#include "creatures/model.h"
#include "fakeplatform.h"
#include "glsupport.h"
#include "runningpark.h"
#include "scratchdirectory.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace
{
// Every number of the world a tick or the clock could change, as bytes.
std::vector<unsigned char> worldBytes(const Park& park)
{
    std::vector<unsigned char> bytes;
    auto add = [&bytes](const void* data, size_t size)
    {
        const unsigned char* first = static_cast<const unsigned char*>(data);
        bytes.insert(bytes.end(), first, first + size);
    };
    const DinosaurSet& animals = park.animals();
    auto addPose = [&add](const auto& animal)
    {
        for (const ShownPose* pose : {&animal.m_shown, &animal.m_shownBefore})
        {
            add(&pose->position, 3 * sizeof(float));
            add(&pose->heading, sizeof pose->heading);
        }
        add(&animal.m_position, 3 * sizeof(float));
        add(&animal.m_targetHeading, sizeof animal.m_targetHeading);
        add(&animal.m_walkTime, sizeof animal.m_walkTime);
    };
    for (const Triceratops& animal : animals.m_triceratops)
    {
        addPose(animal);
    }
    for (const Stegoceras& animal : animals.m_stegoceras)
    {
        addPose(animal);
    }
    for (const Pterosaur& animal : animals.m_pterosaurs)
    {
        addPose(animal);
    }
    addPose(animals.m_tyrannosaur);
    for (const Model* model : {animals.m_pTriceratopsModel.get(), animals.m_pStegocerasModel.get(),
                               animals.m_pPterosaurModel.get(), animals.m_pTyrannosaurModel.get()})
    {
        const float frame = model->clockFrame();
        add(&frame, sizeof frame);
    }
    add(&animals.m_framesSinceSwitch, sizeof animals.m_framesSinceSwitch);
    const DayCycle& day = park.sky().day();
    add(&day.m_sunAngle, sizeof day.m_sunAngle);
    add(&day.m_cloudAngle, sizeof day.m_cloudAngle);
    add(day.m_skyColor, sizeof day.m_skyColor);
    add(day.m_sunDiffuse, sizeof day.m_sunDiffuse);
    const double dayPosition = park.sky().clock().position();
    add(&dayPosition, sizeof dayPosition);
    return bytes;
}
// The park's own frame, before the news line and the panel go over it.
Pixels g_parkFrame;
void keepParkFrame(FramePass pass, void*)
{
    if (pass == FramePass::Plants)
    {
        glFinish();
        g_parkFrame = readBackBuffer(800, 600);
    }
}
} // namespace

TEST(Pause, HoldsEveryAnimalAndTheDayBitForBitWhileTheEyeWalksAndGoesOnFromThem)
{
    ScratchDirectory directory("quillmere-pause");
    directory.copyFromPark({"data", "textures", "terrainTexs"});
    FakeInput input;
    FakeClock clock;
    RunningPark running;
    running.build(6021u);
    Park& park = running.park;
    const int64_t start = clock.counter;
    int64_t frames = 0;
    auto framesFor = [&](int count)
    {
        for (int i = 0; i < count; ++i)
        {
            clock.counter = start + ++frames * FakeClock::kFrequency / 60;
            running.shell.display();
        }
    };
    framesFor(45);

    running.shell.keyboard(' ');
    ASSERT_TRUE(park.isPaused());
    EXPECT_STREQ(running.shell.newsText(), "the park is paused (Space lets it go on)");
    const std::vector<unsigned char> held = worldBytes(park);
    const DayCycle heldDay = park.sky().day();
    const Vector3 eye = park.camera().m_position;
    park.setPassHook(keepParkFrame, nullptr);
    framesFor(2);
    const Pixels heldPicture = g_parkFrame;
    input.leftHeld = true;
    const int64_t ticksBefore = park.ticksRun();
    framesFor(600);
    EXPECT_EQ(park.ticksRun() - ticksBefore, 600);
    EXPECT_TRUE(worldBytes(park) == held) << "600 ticks in a pause change nothing of the world";
    EXPECT_GT((park.camera().m_position - eye).length(), 50.0f) << "the eye walked meanwhile";

    // Back where the eye stood, the held world looks as it did: the picture p would save.
    input.leftHeld = false;
    park.camera().m_position = eye;
    park.camera().m_previousPosition = eye;
    park.camera().m_velocity.set(0.0f, 0.0f, 0.0f);
    framesFor(2);
    EXPECT_EQ(g_parkFrame.differingFraction(heldPicture, 0), 0.0)
        << "the same picture after ten held seconds";
    park.setPassHook(nullptr, nullptr);

    running.shell.keyboard(' ');
    EXPECT_FALSE(park.isPaused());
    EXPECT_STREQ(running.shell.newsText(), "the park goes on");
    framesFor(1);
    DayCycle next = heldDay;
    next.advanceFrame();
    EXPECT_EQ(park.sky().day().m_sunAngle, next.m_sunAngle)
        << "the day goes on from the frame it was held at, not ten seconds later";
    EXPECT_FALSE(worldBytes(park) == held) << "and the animals move again";
}
