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

} // namespace platform
