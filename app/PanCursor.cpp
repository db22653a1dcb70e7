#include "app/PanCursor.h"

#include <QCursor>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

constexpr int kSize = 32;
constexpr int kCentre = kSize / 2;

// Four arrowheads on the ends of a cross, pointing outward.
QPainterPath GripPath() {
    QPainterPath path;
    const int reach = 13; // arrow tips from the centre, in pixels
    const int head = 5;
    const int shaft = 2;
    for (int quarter = 0; quarter < 4; ++quarter) {
        QPainterPath arrow;
        arrow.moveTo(0, -reach);
        arrow.lineTo(head, -reach + head);
        arrow.lineTo(shaft, -reach + head);
        arrow.lineTo(shaft, -shaft);
        arrow.lineTo(-shaft, -shaft);
        arrow.lineTo(-shaft, -reach + head);
        arrow.lineTo(-head, -reach + head);
        arrow.closeSubpath();
        QTransform turn;
        turn.translate(kCentre, kCentre);
        turn.rotate(90.0 * quarter);
        path = path.united(turn.map(arrow));
    }
    path.addEllipse(QPointF(kCentre, kCentre), 3.5, 3.5);
    return path;
}

} // namespace

QCursor MakePanCursor() {
    QPixmap picture(kSize, kSize);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::white, 2.0));
    painter.setBrush(Qt::black);
    painter.drawPath(GripPath());
    painter.end();
    return QCursor(picture, kCentre, kCentre);
}
