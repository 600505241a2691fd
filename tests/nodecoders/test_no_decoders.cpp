// Without its decoder module the player still starts; files just fail to open.
#include "playback/engine/EngineAudioLibrary.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

TEST(NoDecoders, FilesFailCleanlyAndVersionsSaySo)
{
    qputenv("SDL_AUDIODRIVER", "dummy");
    qputenv("VELMORA_DECODERS", "/nonexistent/libvelmora_decoders.so");
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.wav"));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(1000, '\0'));
    f.close();

    EngineAudioLibrary audio;
    ASSERT_TRUE(audio.init(44100, 32, 0));
    EXPECT_EQ(audio.streamOpen(path, 0x130, 0, 0), 0u);
    EXPECT_EQ(audio.error(), AudioLibrary::ErrFileFormat);
    const QStringList versions = audio.componentVersions();
    EXPECT_TRUE(versions.join(QLatin1Char('\n')).contains(QLatin1String("decoders not loaded")));
    EXPECT_TRUE(versions.join(QLatin1Char('\n')).contains(QLatin1String("SDL")));
    audio.close();
}

} // namespace
