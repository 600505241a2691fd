#pragma once

#include <QList>
#include <QString>
#include <functional>

class TrackDetailsSource;

// One line of a track's properties: a label and its value.
struct PropertyLine {
    QString label;
    QString value;
};

// A titled group of lines ("ファイル", "音声", one per tag kind).
struct PropertySection {
    QString title;
    QList<PropertyLine> lines;
};

// What the properties window of one row shows.
struct TrackPropertySheet {
    QString name;                    // the file's (or member's) name: the window's title
    QString localFile;               // the file on disk: the member's archive for a member
    QList<PropertySection> sections; // in display order
    // The value of the line `label` of section `section`; empty when absent.
    QString value(const QString &section, const QString &label) const;
};

// Gathers the facts of a row of the list for its properties window: where
// the file is and its size, how its sound is stored (format, codec, length,
// bit rate, sample rate, channels) and every tag field. An archive member
// is extracted into a folder of its own inside the temporary folder, read,
// and removed again before read() returns.
//
// User-interface thread only; read() blocks while the file is read (and a
// member extracted, letting events run meanwhile).
class TrackPropertiesReader
{
public:
    static inline const QString FileSection = QStringLiteral("ファイル");
    static inline const QString SoundSection = QStringLiteral("音声");
    static inline const QString TagSection = QStringLiteral("タグ");
    static inline const QString NoTags = QStringLiteral("（タグはありません）");
    static inline const QString Unreadable = QStringLiteral("（読み取れません）");
    static inline const QString Missing = QStringLiteral("ファイルが見つかりません");
    static inline const QString NotExtracted = QStringLiteral("書庫から取り出せませんでした");

    // Extracts the member an archive entry names into `folder` (keeping its
    // sub-folders) and returns the extracted file, or empty on failure.
    using MemberExtractor = std::function<QString(const QString &entry, const QString &folder)>;

    // `tempFolder` gives the private temporary folder (empty: none, and a
    // member then shows only its archive's facts).
    TrackPropertiesReader(TrackDetailsSource &details, MemberExtractor extractMember,
                          std::function<QString()> tempFolder);

    // The sheet of the row whose path (or archive entry) is `rowPath`.
    TrackPropertySheet read(const QString &rowPath) const;

    // "3.2 MB (3,356,789 バイト)": the size as people read it and exact.
    static QString SizeText(qint64 bytes);
    // "3:25.250" (minutes, seconds, milliseconds); "1:02:03.000" past an hour.
    static QString LengthText(int lengthMs);
    // "2 (ステレオ)", "1 (モノラル)", or the number alone.
    static QString ChannelsText(int channels);

private:
    TrackDetailsSource &m_details;
    MemberExtractor m_extractMember;
    std::function<QString()> m_tempFolder;
};
