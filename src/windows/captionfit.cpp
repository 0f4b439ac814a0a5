// FitCaptions: letter spacing narrowed, one percent at a time, until a caption fits its control.
#include "windows/captionfit.h"

#include <QLabel>
#include <QPushButton>
#include <QStyle>

namespace ktv31 {
namespace {

constexpr int kNarrowestSpacingPercent = 90;
// What a push button puts between its icon and its text.
constexpr int kIconTextGap = 4;

int NeededWidth(const QWidget &control)
{
    if (const auto *label = qobject_cast<const QLabel *>(&control)) {
        if (label->wordWrap() || label->text().isEmpty() || !label->pixmap().isNull())
            return 0;
        return label->sizeHint().width();
    }
    if (const auto *button = qobject_cast<const QPushButton *>(&control)) {
        if (button->text().isEmpty())
            return 0;
        // The style's minimum width of a button is room, not a need of its caption.
        int width = button->fontMetrics().size(Qt::TextShowMnemonic, button->text()).width();
        if (!button->icon().isNull())
            width += button->iconSize().width() + kIconTextGap;
        const QStyle *style = button->style();
        return width + style->pixelMetric(QStyle::PM_ButtonMargin, nullptr, button) +
               2 * style->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, button);
    }
    return 0;
}

} // namespace

int CaptionOverflow(const QWidget &control)
{
    return NeededWidth(control) - control.width();
}

void FitCaptions(QWidget &form)
{
    for (QWidget *control : form.findChildren<QWidget *>()) {
        if (control->parentWidget() && control->parentWidget()->layout())
            continue;
        QFont font = control->font();
        for (int percent = 99; CaptionOverflow(*control) > 0 && percent >= kNarrowestSpacingPercent;
             --percent) {
            font.setLetterSpacing(QFont::PercentageSpacing, percent);
            control->setFont(font);
        }
    }
}

} // namespace ktv31
