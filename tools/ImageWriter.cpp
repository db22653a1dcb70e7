#include "tools/ImageWriter.h"

#include <QDir>
#include <QFileInfo>

#include <cstdio>

bool ImageWriter::Write(const QImage& image, const std::string& relativePath, Format format) {
    const QString path = QString::fromStdString(outputDir_ + "/" + relativePath);
    QDir().mkpath(QFileInfo(path).absolutePath());
    bool saved = false;
    switch (format) {
    case Format::Rgba:
        saved = image.convertToFormat(QImage::Format_ARGB32).save(path, "PNG");
        break;
    case Format::Rgb:
        saved = image.convertToFormat(QImage::Format_RGB888).save(path, "PNG");
        break;
    case Format::Jpeg:
        saved = image.convertToFormat(QImage::Format_RGB888).save(path, "JPG", 92);
        break;
    }
    if (!saved) {
        std::fprintf(stderr, "make_sample_data: could not write %s\n", qPrintable(path));
        return false;
    }
    written_.push_back(relativePath);
    return true;
}
