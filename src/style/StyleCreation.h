#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

#include <array>

// The four background pictures of a style as the windows show them; a null
// image is "no picture" (the window's colour shows).
struct StyleBackgrounds {
    QImage mainBack, panelBack, listBack, viewBack;
};

// A style folder to make: a copy of the files of `sourceFolder` (empty: none)
// with the backgrounds and the description replaced.
struct NewStyle {
    QString name;
    QString sourceFolder;
    StyleBackgrounds backgrounds;
    std::array<QString, 6> info; // the lines of info.txt: name, version, creator, web page, mail, comment
};

// Making a new style folder under the style root, all or nothing.
//
// The folder is built beside its target under a hidden temporary name:
// every regular file of the source is copied (links and sub-folders are
// not), each background file group ("mainback*", "panelback*", "listback*",
// "viewback*", any case) is removed and, when the picture is set, written
// anew as "<group>.bmp" by Qt's BMP writer, and info.txt is written. Every
// write is flushed and synced and checked. Only when all of it succeeded is
// the folder renamed to its name; a replaced style is moved aside first and
// removed after, or put back when the rename fails. A failure at any step
// removes the temporary folder and leaves the style root as it was.
namespace StyleCreation {

struct Result {
    enum Status {
        Created,
        Refused, // the name cannot name a style folder
        Exists,  // a style (or another entry) of that name is there and was not to be replaced
        Failed,  // a step failed; nothing was changed
    };
    Status status = Failed;
    QString message; // for Refused and Failed: what the user is told
};

// The message that refuses `name` for a new style folder, or empty when it
// can be one: not blank, no "/", "\", "..", control character or any of
// : * ? " < > | (which other file systems refuse), not starting with "." (a
// hidden folder is never listed) and not ending in "." or a blank (which
// Windows drops), and short enough for a file name.
QString nameProblem(const QString &name);

// True when something called `name` is in the style root already.
bool exists(const QString &styleRoot, const QString &name);

// The content of info.txt: the six lines in UTF-8, each ended by CR LF. A
// line break typed inside a line becomes a blank, so the file keeps its six
// lines.
QByteArray infoText(const std::array<QString, 6> &lines);

// Makes `style` under `styleRoot` (created when missing). An existing entry
// of that name is replaced only when `replace` is true.
Result create(const QString &styleRoot, const NewStyle &style, bool replace);

} // namespace StyleCreation
