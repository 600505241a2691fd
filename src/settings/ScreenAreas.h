#pragma once

#include <QList>
#include <QRect>

// The available areas (without panels and docks) of the connected screens in
// pixels, the primary screen first. Empty when no GUI application runs, so
// SettingsStore then checks no window position.
QList<QRect> availableScreenAreas();
