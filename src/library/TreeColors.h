#pragma once

#include <QColor>

// The colours of the library tree: the tree's text and background, and the
// text and background of the selected node.
struct TreeColors {
    QColor text = Qt::white;
    QColor back = Qt::black;
    QColor selectedText = QColor(0xFF, 0x80, 0x00);
    QColor selectedBack = QColor(0x00, 0x40, 0x80);

    struct Item {
        QColor text;
        QColor back;
    };
    // What a node is drawn in: a root node always in the tree's colours,
    // even when selected; a selected node below the root in the selection
    // colours; any other node in the tree's colours.
    Item itemColors(bool atRoot, bool selected) const
    {
        if (selected && !atRoot)
            return {selectedText, selectedBack};
        return {text, back};
    }
};
