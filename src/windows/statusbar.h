// A status bar of fixed-width panels, as the main window and the connection dialog have them.
#pragma once

#include <QList>
#include <QStatusBar>

class QLabel;

namespace ktv31 {

// Panels stand side by side at their own widths, whatever the bar's width: a narrow bar cuts
// off the last ones instead of the panels forcing the window wider.
class PanelStatusBar : public QStatusBar
{
    Q_OBJECT
public:
    explicit PanelStatusBar(QWidget *parent = nullptr);

    // Replaces the panels by ones of these widths, left to right.
    void setPanelWidths(const QList<int> &widths);
    int panelCount() const { return int(panels_.size()); }
    int panelWidth(int index) const;
    void setPanelWidth(int index, int width);
    QString panelText(int index) const;
    void setPanelText(int index, const QString &text);
    QLabel *panel(int index) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void placePanels();

    QList<QLabel *> panels_;
    QList<int> widths_;
};

} // namespace ktv31
