#pragma once

#include <QString>
#include <QStringList>

// What the program was asked to do on its command line.
struct CommandLineRequest {
    QStringList paths;     // files, folders, archives or playlists to open, in order
    bool showHelp = false;
    bool showVersion = false;
    bool newInstance = false; // start a player of its own, never hand over to a running one
    QString error;         // a text for the user when an option is unknown
    QStringList leftOut;   // log lines for paths left out (see ParseArguments)

    // The paths as one text, each quoted and separated by one space (the
    // form SplitCommandLine() takes apart again); empty without paths.
    QString joinedText() const;
};

// The program's arguments as the system handed them over, without the
// program name.
QStringList ArgumentsOf(int argc, const char *const *argv);

// Reads the program's arguments (without the program name). Each argument is
// one path: the shell has already split them. "--help"/"-h" and
// "--version"/"-v" and "--new-instance" are options; "--" ends the options, so a file named
// "--help" can still be opened after it. A path no file can have (longer than
// the system's path limit) is left out with a line in `leftOut`.
CommandLineRequest ParseArguments(const QStringList &arguments);

// `arguments` without the window system's own options ("-platform name",
// "-display name", "-style=name", "-reverse", ...), which the application
// object takes out once it exists: so that the arguments can be checked
// before anything touches a window system.
QStringList WithoutToolkitOptions(const QStringList &arguments);

// Splits one unparsed command-line text into paths, for platforms that pass a
// single text: when it starts with a double quote, the first and the last
// character are dropped and the rest is split at each `" "` (quote, space,
// quote); otherwise it is split at each space. Empty pieces stay.
QStringList SplitCommandLine(const QString &text);

// The usage text printed by --help.
QString UsageText();
