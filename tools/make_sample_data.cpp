// Generates the data that ships beside the program: the sample tilesets with their pictures, the sample
// map, the tile panel's buttons and the picture that explains scenario line styles.
//
// usage: make_sample_data <output folder> [<preview folder>]
// With a preview folder, a contact sheet of every generated picture and a drawing of the sample map are
// written there as well, for checking the art by eye.

#include "tools/ImageWriter.h"
#include "tools/SampleMap.h"
#include "tools/SampleSets.h"
#include "tools/TokensPicture.h"

#include <QDir>
#include <QFont>
#include <QGuiApplication>
#include <QPainter>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

QImage ContactSheet(const ImageWriter& images) {
    const int cell = 150;
    const int columns = 8;
    std::vector<std::string> pictures;
    for (const std::string& file : images.Written())
        if (file.find("background") == std::string::npos)
            pictures.push_back(file);
    const int rows = static_cast<int>((pictures.size() + columns - 1) / columns);
    QImage sheet(columns * cell, rows * cell, QImage::Format_RGB32);
    sheet.fill(QColor(60, 60, 66));
    QPainter p(&sheet);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    QFont font("Liberation Sans");
    font.setPixelSize(10);
    p.setFont(font);
    for (std::size_t i = 0; i < pictures.size(); ++i) {
        const QImage image(QString::fromStdString(images.OutputDir() + "/" + pictures[i]));
        const int x = static_cast<int>(i % columns) * cell;
        const int y = static_cast<int>(i / columns) * cell;
        // A checkerboard shows where pictures are transparent.
        for (int cy = 0; cy < 128; cy += 8)
            for (int cx = 0; cx < 128; cx += 8)
                p.fillRect(x + 11 + cx, y + 4 + cy, 8, 8,
                           ((cx + cy) / 8) % 2 ? QColor(150, 150, 150) : QColor(110, 110, 110));
        const double scale = std::min(128.0 / image.width(), 128.0 / image.height());
        const double fit = image.width() <= 64 && image.height() <= 64 ? 2.0 : std::min(scale, 1.0);
        const QSizeF size(image.width() * fit, image.height() * fit);
        p.drawImage(QRectF(x + 11 + (128 - size.width()) / 2, y + 4 + (128 - size.height()) / 2, size.width(),
                           size.height()),
                    image);
        p.setPen(Qt::white);
        const QString name = QString::fromStdString(pictures[i]).section('/', -1);
        p.drawText(QRect(x, y + 134, cell, 14), Qt::AlignCenter, name);
    }
    return sheet;
}

// Keeps a build log free of start-up chatter that a headless run always produces.
void QuietMessages(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtWarningMsg && message.contains("XDG_RUNTIME_DIR"))
        return;
    std::fprintf(stderr, "%s\n", qPrintable(message));
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: make_sample_data <output folder> [<preview folder>]\n");
        return 2;
    }
    // Fonts need a GUI application; the offscreen platform needs no display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(QuietMessages);
    QGuiApplication app(argc, argv);
    const std::string outputDir = argv[1];
    QDir().mkpath(QString::fromStdString(outputDir));

    ImageWriter images(outputDir);
    SampleSets sets(images);
    if (!sets.Build()) {
        std::fprintf(stderr, "make_sample_data: the sample tilesets could not be written\n");
        return 1;
    }
    SampleMap map(sets.Main());
    if (!map.Build() || !map.Save(outputDir + "/sample.gv")) {
        std::fprintf(stderr, "make_sample_data: the sample map could not be written\n");
        return 1;
    }
    if (!images.Write(TokensPicture().Draw(), "scenario_text_tokens.jpg", ImageWriter::Format::Jpeg))
        return 1;

    if (argc > 2) {
        const QString previewDir = QString::fromLocal8Bit(argv[2]);
        QDir().mkpath(previewDir);
        ContactSheet(images).save(previewDir + "/contact_sheet.png");
        map.Preview().save(previewDir + "/sample_map_preview.png");
    }
    return 0;
}
