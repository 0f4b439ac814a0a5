// Top-level menu items drawn with their small bitmap before the text.
#pragma once

#include <QProxyStyle>

namespace ktv31 {

// Qt's menu bar shows either an item's icon or its text; the main menu shows both.
class MenuBarStyle : public QProxyStyle
{
    Q_OBJECT
public:
    using QProxyStyle::QProxyStyle;

    void drawControl(ControlElement element, const QStyleOption *option, QPainter *painter,
                     const QWidget *widget) const override;
    QSize sizeFromContents(ContentsType type, const QStyleOption *option, const QSize &size,
                           const QWidget *widget) const override;
};

} // namespace ktv31
