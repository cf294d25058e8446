#include "wallpaper/ResolutionAgent.h"

#include <gtest/gtest.h>

namespace ondrix {
namespace {

TEST(ResolutionAgentTest, ReadsTheSizeAtCreationAndGivesItsText)
{
    FixedScreenInfo screen({2560, 1080});
    TRAgent agent(screen);
    EXPECT_EQ(agent.DesktopWidth, 2560);
    EXPECT_EQ(agent.DesktopHeight, 1080);
    EXPECT_EQ(agent.DesktopSizeText(), "2560x1080");

    screen.SetSize({800, 600});
    EXPECT_EQ(agent.DesktopSizeText(), "2560x1080"); // the text is the last size read
    EXPECT_EQ(agent.GetDesktopSize(), (DesktopSize{800, 600}));
    EXPECT_EQ(agent.DesktopSizeText(), "800x600");
}

TEST(ResolutionAgentTest, PollRaisesOnChangeOnlyWhenTheSizeChanges)
{
    FixedScreenInfo screen({1920, 1080});
    TRAgent agent(screen);
    int changes = 0;
    std::string seen;
    agent.OnChange = [&](TRAgent& sender) {
        ++changes;
        seen = sender.DesktopSizeText();
    };

    agent.Poll();
    EXPECT_EQ(changes, 0);

    screen.SetSize({1920, 1200}); // height only
    agent.Poll();
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(seen, "1920x1200");
    agent.Poll();
    EXPECT_EQ(changes, 1);

    screen.SetSize({3840, 1200}); // width only
    agent.Poll();
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(seen, "3840x1200");

    // A size read in between by GetDesktopSize is no change for the next poll.
    screen.SetSize({1024, 768});
    agent.GetDesktopSize();
    agent.Poll();
    EXPECT_EQ(changes, 2);
}

TEST(ResolutionAgentTest, PollWithoutHandlerOnlyTakesTheNewSize)
{
    FixedScreenInfo screen({640, 480});
    TRAgent agent(screen);
    screen.SetSize({1280, 1024});
    agent.Poll();
    EXPECT_EQ(agent.DesktopSizeText(), "1280x1024");
}

} // namespace
} // namespace ondrix
