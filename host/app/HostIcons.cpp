#include "HostIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

constexpr int kSize = 32;

template <typename Draw>
QIcon drawIcon(Draw draw)
{
    QPixmap pixmap(kSize, kSize);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    draw(painter);
    painter.end();
    return QIcon(pixmap);
}

// The coloured disc under the round icons' white signs.
void drawDisc(QPainter &p, const QColor &color)
{
    p.setPen(Qt::NoPen);
    p.setBrush(color);
    p.drawEllipse(QRectF(3, 3, 26, 26));
}

void drawPlus(QPainter &p)
{
    drawDisc(p, QColor(46, 139, 87));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(14, 8, 4, 16));
    p.drawRect(QRectF(8, 14, 16, 4));
}

void drawPencil(QPainter &p)
{
    p.setPen(QPen(QColor(90, 60, 20), 1.5));
    p.setBrush(QColor(240, 190, 60));
    QPainterPath body;
    body.moveTo(22, 4);
    body.lineTo(28, 10);
    body.lineTo(12, 26);
    body.lineTo(6, 20);
    body.closeSubpath();
    p.drawPath(body);
    p.setBrush(QColor(90, 60, 20));
    QPainterPath tip;
    tip.moveTo(6, 20);
    tip.lineTo(12, 26);
    tip.lineTo(4, 28);
    tip.closeSubpath();
    p.drawPath(tip);
}

void drawCross(QPainter &p)
{
    drawDisc(p, QColor(200, 40, 40));
    p.setPen(QPen(Qt::white, 4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(11, 11), QPointF(21, 21));
    p.drawLine(QPointF(21, 11), QPointF(11, 21));
}

void drawSync(QPainter &p)
{
    const QColor blue(30, 100, 200);
    p.setPen(QPen(blue, 3.5, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    const QRectF ring(6, 6, 20, 20);
    p.drawArc(ring, 30 * 16, 150 * 16);
    p.drawArc(ring, 210 * 16, 150 * 16);
    p.setPen(Qt::NoPen);
    p.setBrush(blue);
    QPainterPath upper;
    upper.moveTo(24, 4);
    upper.lineTo(30, 12);
    upper.lineTo(21, 13);
    upper.closeSubpath();
    p.drawPath(upper);
    QPainterPath lower;
    lower.moveTo(8, 28);
    lower.lineTo(2, 20);
    lower.lineTo(11, 19);
    lower.closeSubpath();
    p.drawPath(lower);
}

// A magnifier: looking before synchronising.
void drawMagnifier(QPainter &p)
{
    const QColor blue(30, 100, 200);
    p.setPen(QPen(blue, 3.5));
    p.setBrush(QColor(220, 235, 250));
    p.drawEllipse(QRectF(4, 4, 17, 17));
    p.setPen(QPen(blue, 5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(20, 20), QPointF(27, 27));
}

// A sheet with lines: the record of past runs.
void drawSheet(QPainter &p)
{
    p.setPen(QPen(QColor(90, 90, 90), 1.5));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(6, 3, 20, 26));
    p.setPen(QPen(QColor(30, 100, 200), 2.5, Qt::SolidLine, Qt::RoundCap));
    for (int y = 10; y <= 22; y += 6)
        p.drawLine(QPointF(10, y), QPointF(22, y));
}

// An "i" in a circle: information about a user's records.
void drawInfo(QPainter &p)
{
    drawDisc(p, QColor(30, 100, 200));
    p.setBrush(Qt::white);
    p.drawEllipse(QRectF(14, 7.5, 4, 4));
    p.drawRect(QRectF(14, 13.5, 4, 11));
}

// A key: a password set back.
void drawKey(QPainter &p)
{
    drawDisc(p, QColor(200, 150, 30));
    p.setPen(QPen(Qt::white, 2.5));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QRectF(7, 12, 8, 8));
    p.drawLine(QPointF(15, 16), QPointF(25, 16));
    p.drawLine(QPointF(22, 16), QPointF(22, 20));
}

} // namespace

QList<QIcon> toolbarImages()
{
    return {drawIcon(drawPlus),      drawIcon(drawPencil), drawIcon(drawCross), drawIcon(drawSync),
            drawIcon(drawMagnifier), drawIcon(drawSheet),  drawIcon(drawInfo),  drawIcon(drawKey)};
}
