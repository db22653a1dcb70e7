#pragma once

#include <QImage>

#include <string>
#include <vector>

// Writes generated pictures below the output folder and remembers what it wrote.
class ImageWriter {
public:
    enum class Format {
        Rgba, // 32-bit PNG with alpha
        Rgb,  // 24-bit PNG, for pictures that cover their whole rectangle
        Jpeg
    };

    explicit ImageWriter(std::string outputDir) : outputDir_(std::move(outputDir)) {}

    bool Write(const QImage& image, const std::string& relativePath, Format format);
    const std::string& OutputDir() const { return outputDir_; }
    const std::vector<std::string>& Written() const { return written_; }

private:
    std::string outputDir_;
    std::vector<std::string> written_;
};
