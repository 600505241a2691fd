#pragma once

#include "settings/SettingsKeys.h"

#include <QColor>
#include <QList>
#include <QPalette>

class SettingsStore;

// One colour of the program-wide palette: a role in a colour group.
struct SkinColor
{
    QPalette::ColorGroup group; // All, or Disabled for what differs there
    QPalette::ColorRole role;
    QColor color;

    bool operator==(const SkinColor &) const = default;
};

// The palette every standard window, dialog, menu, tooltip and scroll bar
// of the program is drawn with, taken from the colour slots so that they
// share the skin's colours: the face and text of the boxes (BoxBackSlot,
// BoxForeSlot), the selection (SelectBackSlot, SelectForeSlot) and the
// playing mark for links. Pure: needs no display.
QList<SkinColor> skinPaletteColors(const SettingsStore &store);

// True when a change of setting `id` changes the palette.
bool affectsSkinPalette(SettingId id);
