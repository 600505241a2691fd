#pragma once

// Small recording doubles of the collaborators the list and library
// commands are built with.

#include "core/AlwaysOnTop.h"
#include "core/Beeper.h"
#include "core/Clock.h"
#include "core/FileDialogs.h"
#include "library/LibraryCommands.h"
#include "library/TreeLabelEditor.h"
#include "playlist/CommandSettings.h"
#include "playlist/ItemCommands.h"
#include "playlist/ListFilter.h"
#include "playlist/ListScroller.h"
#include "playlist/PathNames.h"
#include "playlist/PlayingTrack.h"
#include "playlist/PlaylistTree.h"
#include "playlist/RememberedFolders.h"
#include "playlist/TrackArchives.h"

#include <QDateTime>
#include <QList>
#include <QMap>
#include <QStringList>
#include <functional>

// A clock stopped at `now`.
class FixedClock : public Clock
{
public:
    QDateTime now{QDate(2024, 1, 31), QTime(9, 30, 5)};
    QDateTime localNow() const override { return now; }
};

// Dialogs that answer `answer` (empty: cancelled) and record each question
// as "<filter or title>@<start folder>".
class ScriptedDialogs : public FileDialogs
{
public:
    QString answer;
    QStringList asked;
    QString chooseFile(const QString &filter, const QString &startFolder) override
    {
        asked << filter + u'@' + startFolder;
        return answer;
    }
    // The answer of a multiple choice: `answers`, or `answer` alone when set.
    QStringList answers;
    QStringList chooseFiles(const QString &filter, const QString &startFolder) override
    {
        asked << filter + u'@' + startFolder;
        return !answers.isEmpty() ? answers : answer.isEmpty() ? QStringList() : QStringList{answer};
    }
    QString chooseFolder(const QString &title, const QString &startFolder) override
    {
        asked << title + u'@' + startFolder;
        return answer;
    }
};

class CountingFilter : public ListFilter
{
public:
    int cleared = 0;
    void clear() override { ++cleared; }
};

class CountingBeeper : public Beeper
{
public:
    int beeps = 0;
    void beep() override { ++beeps; }
};

class RecordingTopmost : public AlwaysOnTop
{
public:
    int left = 0;
    void leaveTopmost() override { ++left; }
};

// Records the last row scrolled to (0: none yet).
class RecordingScroller : public ListScroller
{
public:
    int scrolledTo = 0;
    void scrollToRow(int pos) override { scrolledTo = pos; }
};

class RecordingLabels : public TreeLabelEditor
{
public:
    QList<int> edited;
    void editLabel(int index) override { edited << index; }
};

// The player as the commands see it: plays `playing`, records the files it
// let go and how often it closed its stream.
class FakePlayingTrack : public PlayingTrack
{
public:
    QString playing;
    QStringList released;
    int closed = 0;
    QString PlayingFilePath() const override { return playing; }
    void releaseFile(const QString &path) override { released << path; }
    void closeStream() override { ++closed; }
};

class FixedCommandSettings : public CommandSettings
{
public:
    QString editor;
    bool ask = false;
    QString tagEditorPath() const override { return editor; }
    bool askBeforeAutoSave() const override { return ask; }
};

class MapFolders : public RememberedFolders
{
public:
    QMap<QString, QString> folders;
    QString folder(const QString &key) const override { return folders.value(key); }
    void remember(const QString &key, const QString &folder) override { folders[key] = folder; }
    bool subfolders = true;
    bool includeSubfolders() const override { return subfolders; }
};

// A library tree with `node` selected, in which a saved playlist is found
// again at `found` (empty: not found); records the keys asked for.
class FixedTree : public PlaylistTree
{
public:
    SelectedTreeNode node;
    QString found;
    QStringList reselected;
    SelectedTreeNode selectedNode() const override { return node; }
    QString reselect(const QString &key) override
    {
        reselected << key;
        return found;
    }
};

// Archives whose members are `members` (names inside each archive). Listing
// hands each over as a member path; opening names the playlist after the
// archive, then hands the members over, unless the test replaces `onOpen`.
class ScriptedArchives : public TrackArchives
{
public:
    using Open = std::function<void(const QString &archive, const SelectedTreeNode &node, const QString &current,
                                    const std::function<void(const QString &)> &setAddress,
                                    const std::function<void(const QString &)> &add)>;
    QStringList members{QStringLiteral("1.mp3"), QStringLiteral("2.mp3")};
    QStringList listed;
    QStringList opened;
    Open onOpen;

    void listMembers(const QString &archivePath,
                     const std::function<void(const QString &path, bool isArchiveMember)> &add) override
    {
        listed << archivePath;
        for (const QString &m : members)
            add(ArchiveMemberPath(archivePath, m), true);
    }
    void openAsPlaylist(const QString &archivePath, const SelectedTreeNode &node, const QString &currentAddress,
                        const std::function<void(const QString &address)> &setAddress,
                        const std::function<void(const QString &entry)> &add) override
    {
        opened << archivePath;
        if (onOpen) {
            onOpen(archivePath, node, currentAddress, setAddress, add);
            return;
        }
        setAddress(BaseNameOf(archivePath));
        for (const QString &m : members)
            add(ArchiveMemberPath(archivePath, m));
    }
};

// Every collaborator of the item and library commands as a recording double.
struct CommandDoubles {
    FakePlayingTrack playing;
    FixedCommandSettings settings;
    RecordingTopmost topmost;
    RecordingScroller scroller;
    ScriptedDialogs dialogs;
    CountingBeeper beeper;
    FixedClock clock;
    RecordingLabels labels;

    ItemCommandServices itemServices()
    {
        return {playing, settings, topmost, scroller, dialogs, beeper, clock};
    }
    LibraryCommandServices libraryServices(ListFilter &search)
    {
        return {search, playing, settings, scroller, labels, dialogs, topmost, beeper, clock};
    }
};
