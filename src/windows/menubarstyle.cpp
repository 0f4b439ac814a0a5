// The main menu's items: the background as the style draws it, then bitmap and text side by side.
#include "windows/menubarstyle.h"

#include <QPainter>
#include <QStyleOptionMenuItem>

namespace ktv31 {
namespace {
constexpr int kIconSize = 16;
constexpr int kIconGap = 4;
} // namespace

void MenuBarStyle::drawControl(ControlElement element, const QStyleOption *option,
                               QPainter *painter, const QWidget *widget) const
{
    const auto *item = qstyleoption_cast<const QStyleOptionMenuItem *>(option);
    if (element != CE_MenuBarItem || !item || item->icon.isNull()) {
        QProxyStyle::drawControl(element, option, painter, widget);
        return;
    }
    QStyleOptionMenuItem background(*item);
    background.icon = QIcon();
    background.text.clear();
    QProxyStyle::drawControl(element, &background, painter, widget);

    const bool active = item->state & State_Selected;
    const QRect area = item->rect.adjusted(kIconGap, 0, -kIconGap, 0);
    const QRect iconRect(area.left(), area.center().y() - kIconSize / 2 + 1, kIconSize, kIconSize);
    item->icon.paint(painter, iconRect, Qt::AlignCenter,
                     (item->state & State_Enabled) ? QIcon::Normal : QIcon::Disabled);
    const QRect textRect = area.adjusted(kIconSize + kIconGap, 0, 0, 0);
    drawItemText(painter, textRect, Qt::AlignCenter | Qt::TextShowMnemonic, item->palette,
                 item->state & State_Enabled, item->text,
                 active ? QPalette::HighlightedText : QPalette::ButtonText);
}

QSize MenuBarStyle::sizeFromContents(ContentsType type, const QStyleOption *option,
                                     const QSize &size, const QWidget *widget) const
{
    const auto *item = qstyleoption_cast<const QStyleOptionMenuItem *>(option);
    if (type != CT_MenuBarItem || !item || item->icon.isNull())
        return QProxyStyle::sizeFromContents(type, option, size, widget);
    QStyleOptionMenuItem textOnly(*item);
    textOnly.icon = QIcon();
    const QSize textSize = item->fontMetrics.size(Qt::TextShowMnemonic, item->text);
    QSize result = QProxyStyle::sizeFromContents(type, &textOnly, textSize, widget);
    result.rwidth() += kIconSize + 2 * kIconGap;
    result.setHeight(std::max(result.height(), kIconSize + 6));
    return result;
}

} // namespace ktv31
