#pragma once

class SettingsStore;

// Gives the whole program the skin's palette (skinPaletteColors): every
// window, dialog, menu, tooltip and scroll bar made or shown afterwards, and
// those already shown that take the application's palette. Only colours
// change; the widgets and Qt's style stay. UI thread, with a QApplication.
void applySkinPalette(const SettingsStore &store);
