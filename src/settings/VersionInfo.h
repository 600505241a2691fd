#pragma once

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

// One line of the Version tab, with the address a click on it opens (empty:
// a plain line).
struct VersionLine
{
    QString text;
    QString url;

    bool operator==(const VersionLine &) const = default;
};

// How the maker can be reached; either may be empty.
struct MakerContact
{
    QString webSite; // an http(s) address
    QString mail;    // a mail address, with or without "mailto:"
};

// What the settings dialog's Version tab shows.
struct VersionInfo
{
    QString title;        // "Velmora β Build " + the program's version
    QString releaseDate;  // "Release yyyy/mm/dd" (the program file's date); "Release" when unknown
    QString maker;        // the maker, with the year of the release when known
    QList<VersionLine> makerLinks; // "WebSite : …" and "E-mail : …" for what is known
    QString iconCredit;   // who drew the program icon
    QList<VersionLine> audio;    // the audio library's components, "NOT FOUND" when none
    QList<VersionLine> archiver; // the archiver library, "NOT FOUND" when unknown

    // Builds the tab's lines from what the program and the libraries report:
    // `audioComponents` one line per component ("FFmpeg 5.1.6 (…)", "SDL 2.26.5",
    // …, as the console's --version prints them), `archiverVersion` the
    // archiver's own text ("libarchive 3.6.2"). A component line that names
    // a known project and its version links to the project's site; the
    // program's own remarks in them are put in Japanese. A maker's link is
    // clickable only when it is a real web or mail address.
    static VersionInfo make(const QString &programVersion, const QDate &programDate,
                            const QStringList &audioComponents, const QString &archiverVersion,
                            const MakerContact &contact = {});

    // `url` when it is an address a click may open (http or https with a
    // host, or mailto with an address); empty otherwise.
    static QString openableUrl(const QString &url);
};
