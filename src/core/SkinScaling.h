#pragma once

#include <QSizeF>

// How a skin picture is scaled to the device. At a whole scale (2x: every
// picture pixel becomes a 2 by 2 block of device pixels) the picture is
// scaled by nearest neighbour, so its edges stay as sharp as drawn; at a
// fractional scale (1.25, 1.5) nearest neighbour would give blocks of uneven
// size — lines of uneven width, wobbling text in the pictures — so the
// picture is smoothed instead.
namespace SkinScaling {

// `NeedsSmoothing`: whether a picture of `picture` pixels drawn over
// `deviceTarget` device pixels (its logical size times the device pixel
// ratio) is smoothed: true unless both directions scale by a whole factor
// (1, 2, 3 ...; a shrink is never whole). An empty picture is never smoothed.
bool NeedsSmoothing(const QSizeF &picture, const QSizeF &deviceTarget);

} // namespace SkinScaling
