#include "tools/TokensPicture.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>

namespace {

struct Row {
    const char* typed;
    const char* shown;
    QColor back;
    QColor border;
    QColor text;
    int pixelSize;
    bool bold;
    const char* note;
};

void DrawCell(QPainter& p, const QRectF& cell, const Row& row) {
    // Borderless boxes get a faint dotted outline here only to show where they end.
    p.setPen(row.border.isValid() ? QPen(row.border, 2) : QPen(QColor(200, 192, 176), 1, Qt::DotLine));
    p.setBrush(row.back);
    p.drawRect(cell);
    QFont font("Liberation Sans");
    font.setPixelSize(row.pixelSize);
    font.setBold(row.bold);
    p.setFont(font);
    p.setPen(row.text);
    p.drawText(cell.adjusted(10, 0, -10, 0), Qt::AlignVCenter | Qt::AlignLeft, QString::fromUtf8(row.shown));
}

} // namespace

QImage TokensPicture::Draw() const {
    const int width = 900;
    const int height = 590;
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(QColor(250, 248, 242));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    QFont title("Liberation Sans");
    title.setPixelSize(26);
    title.setBold(true);
    p.setFont(title);
    p.setPen(QColor(40, 30, 20));
    p.drawText(QPointF(30, 46), "Scenario text: how each line is shown on the published page");
    QFont body("Liberation Sans");
    body.setPixelSize(15);
    p.setFont(body);
    p.setPen(QColor(70, 60, 50));
    p.drawText(
        QRectF(30, 60, width - 60, 44), Qt::TextWordWrap,
        "Every line of the scenario becomes its own box on the page. The characters at the very start and "
        "end of a line choose the style; they are removed from the text that is shown.");

    QFont header("Liberation Sans");
    header.setPixelSize(14);
    header.setBold(true);
    p.setFont(header);
    p.setPen(QColor(120, 100, 80));
    p.drawText(QPointF(30, 128), "TYPE THIS LINE");
    p.drawText(QPointF(400, 128), "TO GET THIS ON THE PAGE");

    const Row rows[] = {
        {"+[The Sunken Vault]+", "The Sunken Vault", QColor(0x3A, 0x26, 0x14), QColor(0x3A, 0x26, 0x14),
         QColor(0xF4, 0xE6, 0xC0), 24, true, "Title: large, in the tileset's title colours and font"},
        {"-[Quest Goal]-", "Quest Goal", Qt::white, Qt::black, Qt::black, 24, true,
         "Heading: large, black on white with a border"},
        {"[Wandering Monsters]", "Wandering Monsters", Qt::black, Qt::black, Qt::white, 19, true,
         "Box: white on black"},
        {"\"Read this aloud.\"", "Read this aloud.", QColor(0xC0, 0xC0, 0xC0), QColor(), Qt::black, 15, false,
         "Quote: a grey box, for text read to the players"},
        {"Any other line.", "Any other line.", Qt::white, QColor(), Qt::black, 15, false,
         "Plain: ordinary text; an empty line gives an empty box"},
    };
    QFont typed("Liberation Mono");
    typed.setPixelSize(16);
    QFont note("Liberation Sans");
    note.setPixelSize(13);
    note.setItalic(true);
    double y = 142;
    for (const Row& row : rows) {
        const QRectF source(30, y, 330, 46);
        p.setPen(QPen(QColor(180, 170, 150), 1));
        p.setBrush(QColor(255, 255, 255));
        p.drawRoundedRect(source, 4, 4);
        p.setFont(typed);
        p.setPen(QColor(30, 30, 30));
        p.drawText(source.adjusted(12, 0, -8, 0), Qt::AlignVCenter | Qt::AlignLeft,
                   QString::fromUtf8(row.typed));
        // Arrow from the typed line to its look.
        p.setPen(QPen(QColor(150, 130, 100), 2.5));
        p.drawLine(QPointF(368, y + 23), QPointF(388, y + 23));
        p.setBrush(QColor(150, 130, 100));
        p.setPen(Qt::NoPen);
        p.drawPolygon(QPolygonF({QPointF(386, y + 17), QPointF(396, y + 23), QPointF(386, y + 29)}));
        DrawCell(p, QRectF(404, y, 300, 46), row);
        p.setFont(note);
        p.setPen(QColor(110, 95, 80));
        p.drawText(QRectF(716, y, 170, 46), Qt::AlignVCenter | Qt::TextWordWrap, QString::fromUtf8(row.note));
        y += 64;
    }

    p.setFont(body);
    p.setPen(QColor(70, 60, 50));
    p.drawText(
        QRectF(30, y + 6, width - 60, 120), Qt::TextWordWrap,
        "The first rule that fits wins: +[ ... ]+ before -[ ... ]- before [ ... ] before \" ... \". "
        "Spaces at both ends of a line are ignored. A line that only starts with a marker but does not "
        "end with its partner is shown plain, markers and all. The text is copied into the page as it "
        "is, so a line may also carry its own HTML. Empty lines at the end of the scenario are dropped.");
    p.setPen(QPen(QColor(200, 190, 170), 1));
    p.drawLine(QPointF(30, height - 34), QPointF(width - 30, height - 34));
    p.setFont(note);
    p.setPen(QColor(140, 125, 105));
    p.drawText(QPointF(30, height - 14), "Gridvellum  -  Edit Scenario  -  Help");
    return image;
}
