#include "core/MessageService.h"
#include "ScriptedMessageBox.h"

#include <QStringList>
#include <gtest/gtest.h>

namespace {

using Recorder = ScriptedMessageBox;

TEST(ShowMessage, ForemostWindowsStepAsideWhileTheBoxIsOpen)
{
    Recorder r;
    MessageService m(r, r, QStringLiteral("Velmora"));
    m.setForemostChecked([] { return true; });
    EXPECT_EQ(m.ShowMessage(true, QStringLiteral("q"), 36), MessageService::Yes);
    EXPECT_EQ(r.log, (QStringList{QStringLiteral("normal"), QStringLiteral("box q 36 Velmora"), QStringLiteral("top")}));
}

TEST(ShowMessage, WithoutForemostNoWindowChangesLayer)
{
    Recorder r;
    MessageService m(r, r, QStringLiteral("Velmora"));
    m.setForemostChecked([] { return false; });
    r.answer = MessageService::No;
    EXPECT_EQ(m.ShowMessage(true, QStringLiteral("q"), 36), MessageService::No);
    EXPECT_EQ(r.log, QStringList{QStringLiteral("box q 36 Velmora")});
}

TEST(ShowMessage, HeldOffTheWindowsStayOutOfTheTopLayerUntilReleased)
{
    Recorder r;
    MessageService m(r, r, QStringLiteral("Velmora"));
    bool foremost = true;
    m.setForemostChecked([&] { return foremost; });
    m.holdOffTop(true);
    m.ShowMessage(false, QStringLiteral("n"), 48);
    m.SetForemost(true); // the option checked again meanwhile
    m.holdOffTop(false);
    EXPECT_EQ(r.log, (QStringList{"normal", "normal", "box n 48 Velmora", "top"}));

    // Unchecked meanwhile: released, they stay where they are.
    r.log.clear();
    m.holdOffTop(true);
    foremost = false;
    m.holdOffTop(false);
    EXPECT_EQ(r.log, QStringList{"normal"});
}

TEST(ShowMessage, ResultOnlyWhenWanted)
{
    Recorder r;
    MessageService m(r, r, QStringLiteral("Velmora"));
    r.answer = MessageService::Ok;
    EXPECT_EQ(m.ShowMessage(false, QStringLiteral("n"), 48), 0);
    EXPECT_EQ(m.ShowMessage(true, QStringLiteral("n"), 48), MessageService::Ok);
}

} // namespace
