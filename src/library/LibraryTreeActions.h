#pragma once

#include <QString>
#include <QStringList>

// What the tree's label edits and drops do; LibraryCommands does it in the program.
class LibraryTreeActions
{
public:
    virtual ~LibraryTreeActions() = default;
    // Label editing of node `index` ended with `text`: renames the node's
    // entry or refuses (telling the user why). Returns true when the node
    // has the text afterwards. User-interface thread; may show a message box.
    virtual bool LabelEditEnd(int index, const QString &text) = 0;
    // Local files (absolute paths, in order) were dropped on the tree.
    virtual void DropFiles(const QStringList &paths) = 0;
};
