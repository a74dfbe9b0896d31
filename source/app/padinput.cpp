// The pad's reading handed to the camera and the shell.
#include "app/padinput.h"

#include "formats/loadreport.h"
#include "world/camera.h"

#include <filesystem>
#include <system_error>

void PadInput::start(const std::string& mappingsFile)
{
    std::string reason;
    if (!m_gamepads.start(reason))
    {
        reportProblem("%s; the park goes on without them", reason.c_str());
        return;
    }
    std::error_code ignored;
    if (!mappingsFile.empty() && std::filesystem::is_regular_file(mappingsFile, ignored) &&
        m_gamepads.addMappings(mappingsFile, reason) < 0)
    {
        reportLoadFailure(mappingsFile.c_str(),
                          "no game pad mappings could be read (" + reason + ")",
                          "the pads are read by SDL's own mappings");
    }
}

void PadInput::read(Camera& camera, PadReading& reading)
{
    reading.actionCount = 0;
    reading.newsCount = 0;
    if (!m_gamepads.isStarted())
    {
        return;
    }
    const PadState pad = m_gamepads.read(reading.news, reading.newsCount);
    reading.actionCount = m_buttons.pressedActions(pad, reading.actions);
    const StickReading look = applyDeadZone(pad.rightX, pad.rightY, kDefaultPadDeadZone);
    const StickReading walk = applyDeadZone(pad.leftX, pad.leftY, kDefaultPadDeadZone);
    camera.m_stickLookX = look.x;
    camera.m_stickLookY = look.y;
    camera.m_stickWalk = walk.y;
}
