// The notice when the chosen output device is missing and the default plays
// instead: given once per stretch, quiet when the device is back.
#include "playback/OutputDeviceWatch.h"

#include "FakeAudioLibrary.h"
#include "ScriptedMessageBox.h"

#include <gtest/gtest.h>

namespace {

const QString kTrack = QStringLiteral("/music/a.flac");
const QString kSpeakers = QStringLiteral("Speakers");
const QString kUsb = QStringLiteral("USB DAC");

struct Step {
    const char *what;
    QStringList present; // the devices the system reports from this step on
    QString chosen;      // the setting
    enum { StartTrack, Tick, Stop } action;
    QString expectedInUse;
    int expectedNotices; // in all, so far
};

TEST(OutputDeviceWatch, TellsOncePerStretchOnTheDefault)
{
    const QStringList both{kSpeakers, kUsb};
    const QStringList speakersOnly{kSpeakers};
    const Step steps[] = {
        {"chosen and present: plays there, no word", both, kUsb, Step::StartTrack, kUsb, 0},
        {"a tick on the chosen device: no word", both, kUsb, Step::Tick, kUsb, 0},
        {"unplugged, next track: the default, told", speakersOnly, kUsb, Step::StartTrack, QString(), 1},
        {"the ticks that follow: not told again", speakersOnly, kUsb, Step::Tick, QString(), 1},
        {"another track while still away: not told again", speakersOnly, kUsb, Step::StartTrack, QString(), 1},
        {"plugged back, next track: back on it, no word", both, kUsb, Step::StartTrack, kUsb, 1},
        {"away again: a new stretch, told again", speakersOnly, kUsb, Step::StartTrack, QString(), 2},
        {"nothing plays: nothing to tell", speakersOnly, kSpeakers, Step::Stop, QString(), 2},
        {"another chosen device present: no word", speakersOnly, kSpeakers, Step::StartTrack, kSpeakers, 2},
        {"the default chosen: never a word", QStringList(), QString(), Step::StartTrack, QString(), 2},
        {"a device chosen that was never there: told", speakersOnly, kUsb, Step::StartTrack, QString(), 3},
    };

    FakeAudioLibrary audio;
    ASSERT_TRUE(audio.init(44100, 32, 0));
    audio.addFile(kTrack, 60000);
    ScriptedMessageBox box;
    MessageService messages(box, box, QStringLiteral("Velmora"));
    OutputDeviceWatch watch(audio, messages);
    const AudioLibrary::StreamHandle stream = audio.streamOpen(kTrack, 0x130, 0, 0);
    ASSERT_NE(stream, 0u);
    int channel = -1;
    for (const Step &s : steps) {
        SCOPED_TRACE(s.what);
        audio.setDevices(s.present);
        audio.setOutputDevice(s.chosen);
        watch.setChosen(s.chosen);
        switch (s.action) {
        case Step::StartTrack:
            audio.streamStop(stream);
            channel = audio.streamPlay(-1, stream);
            ASSERT_GE(channel, 0);
            break;
        case Step::Tick:
            audio.advance(100);
            break;
        case Step::Stop:
            audio.streamStop(stream);
            channel = -1;
            break;
        }
        watch.check(channel);
        if (s.action != Step::Stop) {
            EXPECT_EQ(audio.outputDevice(), s.expectedInUse);
        }
        ASSERT_EQ(box.asked.size(), s.expectedNotices);
    }
    // The notice names the device, in the interface's language.
    EXPECT_TRUE(box.asked.last().contains(QStringLiteral("「USB DAC」")));
    EXPECT_TRUE(box.asked.last().contains(QStringLiteral("既定の出力")));
    EXPECT_EQ(box.styles.last(), int(MessageService::Information));
}

} // namespace
