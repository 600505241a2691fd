#pragma once

#include <QString>

// Where the player keeps its files.
//
// The program folder holds everything persistent: "Velmora.ini", the
// "Playlist/", "Style/" and "Color/" folders. It is, in order of preference:
// the folder named by VELMORA_HOME; the executable's folder when it is
// writable (the portable layout); otherwise the user's data folder
// (~/.local/share/Velmora), seeded with the bundled styles on first use.
//
// The bundled files (styles, demo tracks, manual) lie beside the executable
// in the portable layout and in the build folder. An installed program
// keeps them in its data folder (<prefix>/share/velmora beside
// <prefix>/bin); it then never writes beside the executable.
//
// Every folder path ends with "/".
class AppPaths
{
public:
    // Decides the program folder for an executable living in `executableFolder`.
    // `homeOverride` is the value of VELMORA_HOME (empty when unset);
    // `userDataFolder` the fallback for read-only installations.
    // `installedDataFolder` is where an installation keeps the bundled
    // files; it counts when it holds a "Style" folder and the executable's
    // folder does not.
    static AppPaths resolve(const QString &executableFolder, const QString &homeOverride,
                            const QString &userDataFolder, const QString &installedDataFolder = QString());

    // The layout for the running program (reads VELMORA_HOME and the
    // executable's location).
    static AppPaths forRunningProgram();

    // A layout rooted at `programFolder`, bundled files looked up in
    // `bundleFolder`, the private temporary folder made under
    // `systemTempFolder` (empty: the system's).
    explicit AppPaths(QString programFolder = QString(), QString bundleFolder = QString(),
                      QString systemTempFolder = QString());

    QString programFolder() const { return m_programFolder; }
    // Where the installed program's own files (bundled styles, demo tracks) are.
    QString bundleFolder() const { return m_bundleFolder; }
    QString playlistFolder() const { return m_programFolder + QStringLiteral("Playlist/"); }
    QString styleFolder() const { return m_programFolder + QStringLiteral("Style/"); }
    // The default style delivered with the program, in the bundle: where a
    // style's missing pictures are taken from.
    QString bundledStyleFolder() const { return m_bundleFolder + QStringLiteral("Style/WindowsStyle/"); }
    QString colorFolder() const { return m_programFolder + QStringLiteral("Color/"); }
    QString iniFilePath() const { return m_programFolder + QStringLiteral("Velmora.ini"); }
    QString colorIniFilePath() const { return colorFolder() + QStringLiteral("AutoColor.ini"); }
    QString autoPlaylistPath() const { return playlistFolder() + QStringLiteral("AutoPlaylist.m3u"); }
    // The open list's journal while the program runs (outside the playlist
    // folder, so the library tree never shows it).
    QString listJournalPath() const { return m_programFolder + QStringLiteral("AutoPlaylist.journal"); }
    // The address of the list that was open at the last clean end, one line.
    QString openListNamePath() const { return m_programFolder + QStringLiteral("OpenPlaylist.txt"); }
    // Where TempFolder::make() puts the private temporary folder (empty: the system's).
    QString systemTempFolder() const { return m_systemTempFolder; }

    // Creates the program folder with its playlist folder, and copies the bundled styles into its
    // "Style/" when the program folder is not the bundle folder and "Style/" holds no style (it is
    // missing, empty, or its folders hold no file); files already there are kept.
    // Returns false when the folder cannot be created.
    bool prepare() const;

private:
    QString m_programFolder;
    QString m_bundleFolder;
    QString m_systemTempFolder;
};

// The private folder for extracted archive members: "<system temp>/veltemp-<user>/".
//
// It is created with permissions 0700. An existing folder is used only when it
// is a real directory (not a symbolic link) owned by the current user; its
// permissions are then narrowed to 0700. Anything else is refused and
// TempFolderPath() returns an empty string: nothing may be extracted then.
class TempFolder
{
public:
    // Makes (or checks) the folder under `systemTempFolder` (QDir::tempPath()
    // when empty). Returns the folder path ending in "/", or empty on refusal.
    static QString make(const QString &systemTempFolder = QString());

    // The folder name used under the system temporary folder.
    static QString folderName();
};

// TempFolderPath between double quotes, ready for an archiver command line.
QString TempFolderQuoted(const QString &tempFolderPath);
