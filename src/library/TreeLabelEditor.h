#pragma once

// The library tree view's label editing, as the commands that name a new or
// renamed node start it. The tree view does the editing; tests record it.
// User-interface thread only.
class TreeLabelEditor
{
public:
    virtual ~TreeLabelEditor() = default;

    // Starts editing the label of node `index` in place. Returns at once;
    // the typed text comes back through LibraryCommands::LabelEditEnd. A
    // node that is not shown is not edited.
    virtual void editLabel(int index) = 0;
};
