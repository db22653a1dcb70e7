#include "tools/ToolBarArt.h"

#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QPolygonF>

#include <functional>
#include <map>

namespace {

const QColor kInk(40, 44, 52);
const QColor kPaper(250, 250, 245);
const QColor kAccent(52, 120, 200);
const QColor kWarm(220, 150, 40);

using Drawing = std::function<void(QPainter&)>;

void Sheet(QPainter& p) {
    p.setBrush(kPaper);
    p.drawPolygon(QPolygonF({{5, 2}, {15, 2}, {19, 6}, {19, 22}, {5, 22}}));
    p.drawPolyline(QPolygonF({{15, 2}, {15, 6}, {19, 6}}));
}

void Arrow(QPainter& p, bool redo) {
    // A curved arrow over the top, pointing left for undo and right for redo.
    QPainterPath path;
    const double s = redo ? -1.0 : 1.0;
    auto x = [s](double v) { return 12 + s * (v - 12); };
    path.moveTo(x(19), 18);
    path.cubicTo(x(19), 8, x(11), 6, x(6), 10);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(kAccent, 2.5, Qt::SolidLine, Qt::RoundCap));
    p.drawPath(path);
    p.setPen(QPen(kAccent, 1));
    p.setBrush(kAccent);
    p.drawPolygon(QPolygonF({{x(3), 7}, {x(9), 6}, {x(7), 13}}));
}

void Magnifier(QPainter& p) {
    p.setBrush(kPaper);
    p.drawEllipse(QPointF(10, 10), 6.5, 6.5);
    p.setPen(QPen(kInk, 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(15, 15), QPointF(21, 21));
    p.setPen(QPen(kInk, 1.5));
}

const std::map<std::string, Drawing>& Drawings() {
    static const std::map<std::string, Drawing> drawings = {
        {"document-new",
         [](QPainter& p) {
             Sheet(p);
             p.setBrush(kWarm);
             p.drawEllipse(QPointF(17, 17), 4.5, 4.5);
         }},
        {"document-open",
         [](QPainter& p) {
             p.setBrush(kWarm);
             p.drawPolygon(QPolygonF({{2, 6}, {9, 6}, {11, 8}, {20, 8}, {20, 20}, {2, 20}}));
             p.setBrush(QColor(245, 200, 110));
             p.drawPolygon(QPolygonF({{5, 11}, {23, 11}, {20, 20}, {2, 20}}));
         }},
        {"document-save",
         [](QPainter& p) {
             p.setBrush(kAccent);
             p.drawRect(QRectF(3, 3, 18, 18));
             p.setBrush(kPaper);
             p.drawRect(QRectF(7, 3, 10, 7));
             p.drawRect(QRectF(6, 14, 12, 7));
         }},
        {"edit-cut",
         [](QPainter& p) {
             p.setPen(QPen(kInk, 2));
             p.drawLine(QPointF(6, 3), QPointF(15, 16));
             p.drawLine(QPointF(18, 3), QPointF(9, 16));
             p.setBrush(kPaper);
             p.setPen(QPen(kAccent, 2));
             p.drawEllipse(QPointF(7, 18), 3.2, 3.2);
             p.drawEllipse(QPointF(17, 18), 3.2, 3.2);
         }},
        {"edit-copy",
         [](QPainter& p) {
             p.setBrush(kPaper);
             p.drawRect(QRectF(3, 3, 11, 14));
             p.setBrush(QColor(215, 230, 250));
             p.drawRect(QRectF(9, 7, 11, 14));
         }},
        {"edit-paste",
         [](QPainter& p) {
             p.setBrush(kWarm);
             p.drawRoundedRect(QRectF(4, 4, 15, 18), 2, 2);
             p.setBrush(kInk);
             p.drawRect(QRectF(8, 2, 7, 4));
             p.setBrush(kPaper);
             p.drawRect(QRectF(10, 10, 11, 12));
         }},
        {"zoom-fit-best",
         [](QPainter& p) {
             p.setPen(QPen(kInk, 2));
             for (const QPolygonF& corner :
                  {QPolygonF({{3, 9}, {3, 3}, {9, 3}}), QPolygonF({{15, 3}, {21, 3}, {21, 9}}),
                   QPolygonF({{21, 15}, {21, 21}, {15, 21}}), QPolygonF({{9, 21}, {3, 21}, {3, 15}})}) {
                 p.drawPolyline(corner);
             }
             p.setPen(QPen(kInk, 1));
             p.setBrush(kAccent);
             p.drawRect(QRectF(7, 7, 10, 10));
         }},
        {"zoom-in",
         [](QPainter& p) {
             Magnifier(p);
             p.setPen(QPen(kAccent, 2));
             p.drawLine(QPointF(7, 10), QPointF(13, 10));
             p.drawLine(QPointF(10, 7), QPointF(10, 13));
         }},
        {"gridvellum-global-flags",
         [](QPainter& p) {
             p.setPen(QPen(kInk, 2));
             p.drawLine(QPointF(5, 2), QPointF(5, 22));
             p.setPen(QPen(kInk, 1));
             p.setBrush(QColor(200, 60, 50));
             p.drawPolygon(QPolygonF({{6, 3}, {20, 6}, {6, 12}}));
             p.setBrush(kAccent);
             p.drawPolygon(QPolygonF({{6, 12}, {16, 15}, {6, 19}}));
         }},
        {"edit-undo", [](QPainter& p) { Arrow(p, false); }},
        {"edit-redo", [](QPainter& p) { Arrow(p, true); }},
        {"gridvellum-edit-tool",
         [](QPainter& p) {
             // The arrow pointer over a tile.
             p.setBrush(QColor(215, 230, 250));
             p.drawRect(QRectF(9, 9, 12, 12));
             p.setBrush(kInk);
             p.drawPolygon(QPolygonF({{4, 2}, {4, 18}, {8, 14}, {11, 21}, {14, 20}, {11, 13}, {16, 13}}));
         }},
        {"gridvellum-pan-tool",
         [](QPainter& p) {
             // Four arrows outwards from the middle.
             p.setBrush(kAccent);
             p.drawPolygon(QPolygonF({{12, 1}, {16, 6}, {8, 6}}));
             p.drawPolygon(QPolygonF({{12, 23}, {16, 18}, {8, 18}}));
             p.drawPolygon(QPolygonF({{1, 12}, {6, 8}, {6, 16}}));
             p.drawPolygon(QPolygonF({{23, 12}, {18, 8}, {18, 16}}));
             p.setPen(QPen(kInk, 2));
             p.drawLine(QPointF(12, 6), QPointF(12, 18));
             p.drawLine(QPointF(6, 12), QPointF(18, 12));
         }},
        {"gridvellum-text-tool",
         [](QPainter& p) {
             // A capital T with a caret beside it.
             p.setBrush(kInk);
             p.drawRect(QRectF(3, 3, 14, 3));
             p.drawRect(QRectF(8.5, 3, 3, 17));
             p.setPen(QPen(kAccent, 2));
             p.drawLine(QPointF(20, 8), QPointF(20, 21));
         }},
        {"help-contents",
         [](QPainter& p) {
             p.setBrush(kAccent);
             p.drawEllipse(QPointF(12, 12), 10, 10);
             p.setPen(QPen(kPaper, 2.5, Qt::SolidLine, Qt::RoundCap));
             QPainterPath hook;
             hook.moveTo(8.5, 9);
             hook.cubicTo(8.5, 4.5, 15.5, 4.5, 15.5, 9);
             hook.cubicTo(15.5, 12, 12, 11.5, 12, 14.5);
             p.setBrush(Qt::NoBrush);
             p.drawPath(hook);
             p.drawPoint(QPointF(12, 18.5));
         }},
    };
    return drawings;
}

} // namespace

std::vector<std::string> ToolBarArt::Names() {
    std::vector<std::string> names;
    for (const auto& [name, drawing] : Drawings()) {
        names.push_back(name);
    }
    return names;
}

QImage ToolBarArt::Draw(const std::string& name, int size) {
    const auto found = Drawings().find(name);
    if (found == Drawings().end()) {
        return QImage();
    }
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 24.0, size / 24.0);
    painter.setPen(QPen(kInk, 1.5));
    found->second(painter);
    painter.end();
    return image;
}
