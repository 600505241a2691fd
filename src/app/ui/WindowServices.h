#pragma once

#include "core/Beeper.h"
#include "core/FileDialogs.h"
#include "library/TreeLabelEditor.h"

#include <QPointer>
#include <QWidget>

class LibraryTreeView;

// The modal file and folder dialogs of the desktop, over `parent` (the
// playlist window once it is built; none before).
class DesktopFileDialogs final : public FileDialogs
{
public:
    void setParent(QWidget *parent) { m_parent = parent; }

    QString chooseFile(const QString &filter, const QString &startFolder) override;
    QStringList chooseFiles(const QString &filter, const QString &startFolder) override;
    QString chooseFolder(const QString &title, const QString &startFolder) override;

private:
    QPointer<QWidget> m_parent;
};

// The desktop's beep.
class DesktopBeeper final : public Beeper
{
public:
    void beep() override;
};

// Label editing in the library tree view; nothing until a view is given.
class TreeViewLabels final : public TreeLabelEditor
{
public:
    void setView(LibraryTreeView *view);

    void editLabel(int index) override;

private:
    QPointer<LibraryTreeView> m_view;
};
