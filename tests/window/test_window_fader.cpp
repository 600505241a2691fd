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

} // namespace
