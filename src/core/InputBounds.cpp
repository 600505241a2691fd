#include "core/InputBounds.h"

#include "core/NativePath.h"

#include <climits>

#ifndef PATH_MAX
#define PATH_MAX 4096
#endif

qsizetype InputBounds::maxPathBytes()
{
    return PATH_MAX - 1;
}

QString InputBounds::pathProblem(QStringView path)
{
    if (path.isEmpty())
        return QStringLiteral("empty path");
    if (path.contains(QChar(0)))
        return QStringLiteral("path holds a NUL character");
    // Each character takes at least one byte: the long ones are refused
    // before they are encoded.
    if (path.size() > maxPathBytes() || NativePath::encode(path).size() > maxPathBytes())
        return QStringLiteral("path longer than %1 bytes").arg(maxPathBytes());
    return QString();
}
