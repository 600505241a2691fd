#pragma once

#include <QImage>
#include <QString>
#include <QStringList>

#include <array>

// One style (skin): the pictures of both windows and the description, read
// from a folder "<style root>/<name>/".
//
// Pictures are untrusted input: only regular files are read, a picture's
// dimensions are checked before it is decoded, and a missing, broken or
// oversized picture counts as missing. A missing button, control or icon
// picture is taken from the same file of the bundled default style, so that
// every button stays visible and can be clicked; only when that is missing
// too does its position stay blank (a null image). A position never shows a
// file of another name. Backgrounds are never taken from elsewhere: a style
// without them shows the windows' colours.
struct Style {
    // Button numbers of the two windows, in the order of their image lists.
    enum MainButton { Play, Pause, Stop, Next, PlaylistButton, MainButtonCount };
    enum ListButton { Admin, Close, Add, Delete, Select, Etc, ListButtonCount };
    // Pictures of the playlist window's other controls.
    enum Other { SearchBox, Speaker, Mute, VolumeBar, VolumeKnob, OtherCount };
    // Row and tree icons.
    enum Icon { PlayOff, PlayOn, CategoryClose, CategoryOpen, PlaylistClose, PlaylistOpen, FavorClose,
                FavorOpen, NotFound, DustBox, IconCount };
    // The three pictures of a button.
    enum ButtonState { Normal, Hover, Pressed };

    static inline const QString DefaultName = QStringLiteral("WindowsStyle");
    // The largest picture accepted, per side.
    static constexpr int MaxPictureSide = 8192;

    QString folder; // the folder the pictures came from, ending in "/"; empty when none
    QImage mainBack, panelBack, listBack, viewBack;
    std::array<std::array<QImage, MainButtonCount>, 3> mainButtons; // [state][button]
    std::array<std::array<QImage, ListButtonCount>, 3> listButtons; // [state][button]
    std::array<QImage, OtherCount> other;
    std::array<QImage, IconCount> icons;

    // The six description lines (name, version, creator, web page, mail,
    // comment); "Unknown" for lines the file does not have.
    std::array<QString, 6> info;
    // Line 4 is a link when it is a web address (http or https, with a
    // host), line 5 when it is a plain mail address; the addresses to open
    // are then in webLink ("http…") and mailLink ("mailto:…"). Nothing else
    // in a style is ever handed to the desktop.
    bool webIsLink = false;
    bool mailIsLink = false;
    QString webLink;
    QString mailLink;

    // The web address `line` names, or empty when it is not an http or https
    // address with a host.
    static QString webLinkOf(const QString &line);
    // "mailto:" + the address `line` holds, or empty when it is not one plain
    // address (no blanks, no scheme, no query).
    static QString mailLinkOf(const QString &line);

    // `LoadStyle`: the style `name` under `styleRoot`; when that folder holds
    // no ordinary file, the default style under `styleRoot` instead; when
    // that holds none either, the bundled default style `bundledStyle` (the
    // program's own copy, a folder path; may be empty); when that is missing
    // too, a style without pictures.
    static Style LoadStyle(const QString &styleRoot, const QString &name, const QString &bundledStyle = QString());

    // `StyleComboCreate`: the names of the style folders under `styleRoot`,
    // sorted by name.
    static QStringList StyleComboCreate(const QString &styleRoot);

    // One picture, or a null image when it is missing, not a regular file,
    // unreadable, or larger than MaxPictureSide on a side.
    static QImage loadPicture(const QString &path);

    // The file names of the buttons, by button number.
    static QString mainButtonFile(int button, int state);
    static QString listButtonFile(int button, int state);
    static QString otherFile(int other);
    static QString iconFile(int icon);
};
