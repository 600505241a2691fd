// An MP3 plays with the first decoder module alone: its tags are read with
// TagLib, which is let go again, and FFmpeg and FluidSynth are mapped when a
// file first needs them.
#include "playback/engine/EngineAudioLibrary.h"
#include "WaitUntil.h"

#include <cstring>
#include <gtest/gtest.h>
#include <link.h>

namespace {

// Whether a shared object whose path contains `name` is mapped into this process.
bool mapped(const char *name)
{
    struct Search {
        const char *name;
        bool found = false;
    } search{name};
    dl_iterate_phdr(
        [](dl_phdr_info *info, size_t, void *data) {
            auto *s = static_cast<Search *>(data);
            if (info->dlpi_name && std::strstr(info->dlpi_name, s->name))
                s->found = true;
            return 0;
        },
        &search);
    return search.found;
}

TEST(DecoderModules, AnMp3PlaysWithoutFfmpeg)
{
    qputenv("SDL_AUDIODRIVER", "dummy");
    EngineAudioLibrary audio;
    ASSERT_TRUE(audio.init(44100, 32, 0));
    const QString demo = QStringLiteral(VELMORA_SOURCE_DIR "/assets/demo/");

    const auto mp3 = audio.streamOpen(demo + QStringLiteral("夜明けのワルツ.mp3"), 0x130, 0, 0);
    ASSERT_NE(mp3, 0u) << "error " << audio.error();
    EXPECT_GT(audio.streamLengthMs(mp3), 0);
    QStringList tags;
    AudioLibrary::TagField field;
    for (int i = 0; audio.streamTagField(mp3, i, field); ++i)
        tags << QString::fromUtf8(field.name + '=' + field.value);
    EXPECT_TRUE(tags.contains(QStringLiteral("TIT2=夜明けのワルツ"))) << tags.join(u',').toStdString();
    const int channel = audio.streamPlay(-1, mp3);
    ASSERT_GE(channel, 0);
    EXPECT_TRUE(waitUntil([&] { return audio.streamTime(mp3) >= 200; })) << "the MP3 plays";
    EXPECT_TRUE(mapped("libvelmora_decoders"));
    EXPECT_TRUE(mapped("libmpg123"));
    // Nor the resampler: the file is at the output's rate.
    for (const char *heavy : {"libvelmora_ffmpeg", "libavcodec", "libavformat", "libfluidsynth", "libtag.", "libsoxr"})
        EXPECT_FALSE(mapped(heavy)) << heavy;

    // A WAV goes on to the FFmpeg module, which the same look finds.
    EXPECT_NE(audio.streamOpen(demo + QStringLiteral("Little Chime.wav"), 0x130, 0, 0), 0u);
    EXPECT_TRUE(mapped("libvelmora_ffmpeg"));
    EXPECT_TRUE(mapped("libavcodec"));
    const QString versions = audio.componentVersions().join(u'\n');
    for (const char *line : {"mpg123 ", "soxr ", "TagLib ", "FFmpeg ", "FluidSynth ", "decoders from /"})
        EXPECT_TRUE(versions.contains(QLatin1String(line))) << line << " in\n" << versions.toStdString();
    audio.close();
}

} // namespace
