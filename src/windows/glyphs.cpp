// Glyphs painted at run time with QPainter, so that no picture is copied from anywhere.
#include "windows/glyphs.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <functional>

namespace ktv31::Glyphs {
namespace {

constexpr int kSize = 20;

QIcon Painted(const std::function<void(QPainter &)> &draw)
{
    QPixmap pixmap(kSize, kSize);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    draw(painter);
    return QIcon(pixmap);
}

QPen Stroke(const QColor &colour, qreal width)
{
    return QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

} // namespace

QIcon Ok()
{
    return Painted([](QPainter &p) {
        p.setPen(Stroke(QColor(0, 128, 0), 3));
        p.drawPolyline(QPolygonF{{3, 10}, {8, 15}, {17, 4}});
    });
}

QIcon Cancel()
{
    return Painted([](QPainter &p) {
        p.setPen(Stroke(QColor(200, 0, 0), 3));
        p.drawLine(QPointF(4, 4), QPointF(16, 16));
        p.drawLine(QPointF(16, 4), QPointF(4, 16));
    });
}

QIcon Exit()
{
    return Painted([](QPainter &p) {
        p.setPen(Stroke(QColor(90, 60, 20), 1.5));
        p.setBrush(QColor(200, 160, 90));
        p.drawRect(QRectF(2, 2, 9, 16));
        p.setPen(Stroke(QColor(0, 90, 160), 2.5));
        p.drawLine(QPointF(8, 10), QPointF(18, 10));
        p.drawPolyline(QPolygonF{{14, 6}, {18, 10}, {14, 14}});
    });
}

QIcon Connect()
{
    return Painted([](QPainter &p) {
        p.setPen(Stroke(QColor(40, 40, 40), 1.5));
        p.setBrush(QColor(240, 200, 40));
        p.drawRoundedRect(QRectF(2, 6, 7, 8), 2, 2);
        p.drawRoundedRect(QRectF(11, 6, 7, 8), 2, 2);
        p.drawLine(QPointF(9, 8.5), QPointF(11, 8.5));
        p.drawLine(QPointF(9, 11.5), QPointF(11, 11.5));
    });
}

QIcon Search()
{
    return Painted([](QPainter &p) {
        p.setPen(Stroke(QColor(30, 30, 120), 2));
        p.setBrush(QColor(200, 230, 255));
        p.drawEllipse(QRectF(2, 2, 11, 11));
        p.setPen(Stroke(QColor(30, 30, 120), 3));
        p.drawLine(QPointF(12, 12), QPointF(18, 18));
    });
}

QIcon Write()
{
    return Painted([](QPainter &p) {
        p.setPen(Stroke(QColor(40, 40, 40), 1.2));
        p.setBrush(QColor(60, 60, 60));
        p.drawRect(QRectF(4, 12, 12, 6));
        p.setPen(Stroke(QColor(0, 120, 0), 2.5));
        p.drawLine(QPointF(10, 1), QPointF(10, 10));
        p.drawPolyline(QPolygonF{{6, 6}, {10, 10}, {14, 6}});
    });
}

QIcon Edit()
{
    return Painted([](QPainter &p) {
        p.setPen(Stroke(QColor(60, 40, 0), 1.2));
        p.setBrush(QColor(250, 210, 60));
        p.drawPolygon(QPolygonF{{4, 16}, {5, 12}, {14, 3}, {17, 6}, {8, 15}});
        p.setBrush(QColor(40, 40, 40));
        p.drawPolygon(QPolygonF{{4, 16}, {5, 13}, {7, 15}});
    });
}

QIcon Clear()
{
    return Painted([](QPainter &p) {
        p.setPen(Stroke(QColor(60, 60, 60), 2));
        for (int y : {4, 9, 14})
            p.drawLine(QPointF(3, y), QPointF(13, y));
        p.setPen(Stroke(QColor(200, 0, 0), 2.5));
        p.drawLine(QPointF(11, 9), QPointF(18, 16));
        p.drawLine(QPointF(18, 9), QPointF(11, 16));
    });
}

QIcon Info()
{
    return Painted([](QPainter &p) {
        p.setPen(Stroke(QColor(0, 70, 160), 1.5));
        p.setBrush(QColor(220, 235, 255));
        p.drawEllipse(QRectF(1.5, 1.5, 17, 17));
        p.setPen(Stroke(QColor(0, 70, 160), 2.5));
        p.drawPoint(QPointF(10, 6));
        p.drawLine(QPointF(10, 9.5), QPointF(10, 15));
    });
}

QIcon HangUp()
{
    return Painted([](QPainter &p) {
        QPainterPath handset;
        handset.moveTo(2, 12);
        handset.cubicTo(6, 5, 14, 5, 18, 12);
        handset.lineTo(15, 14);
        handset.lineTo(13, 11);
        handset.cubicTo(11, 10, 9, 10, 7, 11);
        handset.lineTo(5, 14);
        handset.closeSubpath();
        p.setPen(Stroke(QColor(120, 0, 0), 1));
        p.setBrush(QColor(210, 30, 30));
        p.drawPath(handset);
    });
}

QIcon MenuFile()
{
    return Painted([](QPainter &p) {
        p.setPen(Stroke(QColor(70, 70, 70), 1.2));
        p.setBrush(Qt::white);
        p.drawPolygon(QPolygonF{{4, 2}, {12, 2}, {16, 6}, {16, 18}, {4, 18}});
        p.drawPolyline(QPolygonF{{12, 2}, {12, 6}, {16, 6}});
        p.setPen(Stroke(QColor(0, 90, 160), 1));
        for (int y : {9, 12, 15})
            p.drawLine(QPointF(6.5, y), QPointF(13.5, y));
    });
}

QIcon MenuParameters()
{
    return Painted([](QPainter &p) {
        p.setPen(Stroke(QColor(70, 70, 70), 1.5));
        for (int y : {5, 10, 15})
            p.drawLine(QPointF(2, y), QPointF(18, y));
        p.setBrush(QColor(0, 120, 200));
        p.drawRect(QRectF(5, 3, 3, 4));
        p.drawRect(QRectF(12, 8, 3, 4));
        p.drawRect(QRectF(8, 13, 3, 4));
    });
}

QIcon MenuLink()
{
    return Painted([](QPainter &p) {
        p.setPen(Stroke(QColor(0, 100, 0), 2));
        p.drawLine(QPointF(3, 7), QPointF(15, 7));
        p.drawPolyline(QPolygonF{{12, 4}, {16, 7}, {12, 10}});
        p.setPen(Stroke(QColor(0, 70, 160), 2));
        p.drawLine(QPointF(17, 13), QPointF(5, 13));
        p.drawPolyline(QPolygonF{{8, 10}, {4, 13}, {8, 16}});
    });
}

QIcon MenuGeneral()
{
    return Painted([](QPainter &p) {
        p.setPen(Stroke(QColor(120, 80, 0), 1.5));
        p.setBrush(QColor(255, 230, 150));
        p.drawEllipse(QRectF(1.5, 1.5, 17, 17));
        QFont font = p.font();
        font.setBold(true);
        font.setPixelSize(13);
        p.setFont(font);
        p.drawText(QRectF(0, 0, kSize, kSize), Qt::AlignCenter, QStringLiteral("?"));
    });
}

} // namespace ktv31::Glyphs
