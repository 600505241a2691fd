#pragma once

#include <QList>
#include <QRect>

// The platform's screens as far as window placement needs them.
class ScreenAreas
{
public:
    virtual ~ScreenAreas() = default;

    // The available areas (without panels and docks) of the connected
    // screens in pixels, the primary screen first. Empty when unknown (no
    // window system): window positions are then not checked. UI thread only.
    virtual QList<QRect> availableAreas() const = 0;
};
