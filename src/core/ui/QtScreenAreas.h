#pragma once

#include "core/ScreenAreas.h"

// The screens as the window system reports them.
class QtScreenAreas : public ScreenAreas
{
public:
    QList<QRect> availableAreas() const override;
};
