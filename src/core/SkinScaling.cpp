#include "core/SkinScaling.h"

#include <cmath>

namespace SkinScaling {

namespace {

// Device sizes come from a logical size times a ratio such as 1.25: a
// factor within this of a whole number counts as whole.
constexpr double WholeTolerance = 1e-3;

bool isWhole(double from, double to)
{
    const double factor = to / from;
    return factor >= 1.0 - WholeTolerance && std::abs(factor - std::round(factor)) <= WholeTolerance;
}

} // namespace

bool NeedsSmoothing(const QSizeF &picture, const QSizeF &deviceTarget)
{
    if (picture.isEmpty() || deviceTarget.isEmpty())
        return false;
    return !(isWhole(picture.width(), deviceTarget.width()) && isWhole(picture.height(), deviceTarget.height()));
}

} // namespace SkinScaling
