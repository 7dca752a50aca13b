// The application's style without a text caret: for a field that shows what
// it holds but is never typed into as text (the hot-key field), so that it
// can say it takes keys without showing a caret that would suggest typing.
#pragma once

#include <QProxyStyle>

class NoCaretStyle : public QProxyStyle {
    Q_OBJECT
public:
    using QProxyStyle::QProxyStyle;
    int pixelMetric(PixelMetric metric, const QStyleOption* option = nullptr,
                    const QWidget* widget = nullptr) const override;
};
