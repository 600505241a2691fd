#include "window/ui/WindowFader.h"
#include "GuiTestApp.h"
#include "WaitUntil.h"

#include <QWidget>
#include <gtest/gtest.h>

namespace {

void waitWhileFading(const WindowFader &fader)
{
    EXPECT_TRUE(waitUntil([&] { return !fader.isFading(); })) << "the fade never ended";
}

TEST(WindowFader, FadesInToTheSettingAndOutToHidden)
{
    guiTestApp();
    QWidget window(nullptr, Qt::Window | Qt::FramelessWindowHint);
    int setting = 200;
    WindowFader fader(&window, [&] { return setting; });
    fader.setInterval(1);
    int fadedOut = 0;
    QObject::connect(&fader, &WindowFader::fadedOut, [&] { ++fadedOut; });

    fader.fadeIn();
    EXPECT_TRUE(window.isVisible());
    waitWhileFading(fader);
    EXPECT_EQ(qRound(window.windowOpacity() * 255), 198) << "the last step below the setting";

    fader.fadeOut();
    waitWhileFading(fader);
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(fadedOut, 1);

    // Shown again it starts from transparent, whatever the last fade left.
    fader.fadeIn();
    EXPECT_EQ(window.windowOpacity(), 0.0);
    waitWhileFading(fader);
    EXPECT_GT(window.windowOpacity(), 0.7);
}

// Fades switched off mid-way: a fade-in stays where it got to, a fade-out
// ends as it would (the window was asked to go).
TEST(WindowFader, StoppingAFadeMidWay)
{
    guiTestApp();
    const struct {
        const char *name;
        bool out;      // stop a fade-out (else a fade-in)
        bool running;  // a fade runs when stop() comes
        bool visible;  // afterwards
        int fadedOut;  // signals afterwards
    } cases[] = {
        {"a fade-in stays where it is", false, true, true, 0},
        {"a fade-out hides the window at once", true, true, false, 1},
        {"nothing running: nothing changes", false, false, true, 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        QWidget window(nullptr, Qt::Window | Qt::FramelessWindowHint);
        WindowFader fader(&window, [] { return 255; });
        int fadedOut = 0;
        QObject::connect(&fader, &WindowFader::fadedOut, [&] { ++fadedOut; });
        fader.setInterval(1);
        fader.fadeIn();
        if (!c.running)
            waitWhileFading(fader);
        else
            ASSERT_TRUE(waitUntil([&] { return window.windowOpacity() > 0.05; }));
        if (c.out) {
            fader.fadeOut();
            EXPECT_TRUE(fader.isFadingOut());
        }
        fader.setInterval(60000); // no step of its own can come now
        const double reached = window.windowOpacity();
        fader.stop();
        EXPECT_FALSE(fader.isFading());
        EXPECT_EQ(window.isVisible(), c.visible);
        EXPECT_EQ(fadedOut, c.fadedOut);
        if (c.visible) {
            EXPECT_EQ(window.windowOpacity(), reached);
        }
    }
}

} // namespace
