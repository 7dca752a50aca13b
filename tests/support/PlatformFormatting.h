// Lets QCOMPARE print the platform's value types when a comparison fails.
#pragma once

#include "platform/Platform.h"

#include <QString>
#include <QTest>

namespace platform {

inline char* toString(const Point& point)
{
    return QTest::toString(QString("(%1, %2)").arg(point.x).arg(point.y));
}

inline char* toString(const std::optional<Point>& point)
{
    return point ? toString(*point) : QTest::toString(QStringLiteral("unknown"));
}

// A position that is known, for comparisons with what Mouse::cursorPos gives.
inline std::optional<Point> known(int x, int y)
{
    return Point{x, y};
}

} // namespace platform
