#pragma once

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

// One line of the Version tab, with the web page it links to (empty: none).
struct VersionLine
{
    QString text;
    QString url;

    bool operator==(const VersionLine &) const = default;
};

// What the settings dialog's Version tab shows.
struct VersionInfo
{
    QString title;        // "Velmora β Build " + the program's version
    QString releaseDate;  // "Release yyyy/mm/dd" (the program file's date); "Release" when unknown
    QString maker;        // the maker, with the year of the release when known
    QList<VersionLine> audio;    // the audio library's components, "NOT FOUND" when none
    QList<VersionLine> archiver; // the archiver library, "NOT FOUND" when unknown

    // Builds the tab's lines from what the program and the libraries report:
    // `audioComponents` one line per component ("FFmpeg 5.1.6 (…)", "SDL 2.26.5",
    // …), `archiverVersion` the archiver's own text ("libarchive 3.6.2").
    // Lines naming a known library link to its web page.
    static VersionInfo make(const QString &programVersion, const QDate &programDate,
                            const QStringList &audioComponents, const QString &archiverVersion);
};
