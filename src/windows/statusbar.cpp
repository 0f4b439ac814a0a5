// Fixed-width text panels placed by hand in a status bar without size grip.
#include "windows/statusbar.h"

#include "windows/accessiblevalue.h"

#include <QLabel>

namespace ktv31 {
namespace {
constexpr int kGap = 2;
constexpr int kMargin = 2;
} // namespace

PanelStatusBar::PanelStatusBar(QWidget *parent) : QStatusBar(parent)
{
    setSizeGripEnabled(false);
}

void PanelStatusBar::setPanelWidths(const QList<int> &widths)
{
    qDeleteAll(panels_);
    panels_.clear();
    widths_.clear();
    for (int i = 0; i < widths.size(); ++i) {
        auto *label = new QLabel(this);
        label->setObjectName(QStringLiteral("Panel%1").arg(i));
        ReadAsValue(label, QStringLiteral("Панель состояния %1").arg(i + 1));
        label->setTextFormat(Qt::PlainText);
        label->setFrameShape(QFrame::Panel);
        label->setFrameShadow(QFrame::Sunken);
        label->show();
        panels_.append(label);
        widths_.append(std::max(widths[i], 0));
    }
    placePanels();
    updateGeometry();
}

int PanelStatusBar::panelWidth(int index) const
{
    return index >= 0 && index < widths_.size() ? widths_[index] : 0;
}

void PanelStatusBar::setPanelWidth(int index, int width)
{
    if (index < 0 || index >= widths_.size())
        return;
    widths_[index] = std::max(width, 0);
    placePanels();
}

QString PanelStatusBar::panelText(int index) const
{
    const QLabel *label = panel(index);
    return label ? label->text() : QString();
}

void PanelStatusBar::setPanelText(int index, const QString &text)
{
    if (QLabel *label = panel(index)) {
        label->setText(text);
        label->update();
    }
}

QLabel *PanelStatusBar::panel(int index) const
{
    return index >= 0 && index < panels_.size() ? panels_[index] : nullptr;
}

QSize PanelStatusBar::sizeHint() const
{
    int width = kMargin;
    for (int w : widths_)
        width += w + kGap;
    return {width, minimumSizeHint().height()};
}

QSize PanelStatusBar::minimumSizeHint() const
{
    return {0, fontMetrics().height() + 4 * kMargin};
}

void PanelStatusBar::resizeEvent(QResizeEvent *event)
{
    QStatusBar::resizeEvent(event);
    placePanels();
}

void PanelStatusBar::placePanels()
{
    int x = kMargin;
    for (int i = 0; i < panels_.size(); ++i) {
        panels_[i]->setGeometry(x, kMargin, widths_[i], height() - 2 * kMargin);
        x += widths_[i] + kGap;
    }
}

} // namespace ktv31
