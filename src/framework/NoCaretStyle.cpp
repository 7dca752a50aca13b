#include "framework/NoCaretStyle.h"

int NoCaretStyle::pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const
{
    if (metric == PM_TextCursorWidth)
        return 0;
    return QProxyStyle::pixelMetric(metric, option, widget);
}
