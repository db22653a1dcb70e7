#include "common/PdfPages.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <unistd.h>

namespace testsupport {

namespace {

std::string Quoted(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

std::string Output(const std::string& command) {
    std::string text;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        std::array<char, 4096> buffer{};
        size_t got;
        while ((got = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0) {
            text.append(buffer.data(), got);
        }
        ::pclose(pipe);
    }
    return text;
}

} // namespace

std::uint32_t PagePicture::Pixel(int x, int y) const {
    const size_t at = (static_cast<size_t>(y) * width + x) * 3;
    return (static_cast<std::uint32_t>(rgb[at]) << 16) | (static_cast<std::uint32_t>(rgb[at + 1]) << 8) |
           rgb[at + 2];
}

PixelBox BoxOfColor(const PagePicture& picture, std::uint32_t color, int tolerance) {
    PixelBox box{picture.width, picture.height, 0, 0, 0};
    auto near = [tolerance](std::uint32_t a, std::uint32_t b, int shift) {
        return std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF)) <=
               tolerance;
    };
    for (int y = 0; y < picture.height; ++y) {
        for (int x = 0; x < picture.width; ++x) {
            const std::uint32_t pixel = picture.Pixel(x, y);
            if (near(pixel, color, 16) && near(pixel, color, 8) && near(pixel, color, 0)) {
                box.left = std::min(box.left, x);
                box.top = std::min(box.top, y);
                box.right = std::max(box.right, x + 1);
                box.bottom = std::max(box.bottom, y + 1);
                ++box.count;
            }
        }
    }
    if (box.count == 0) {
        box = PixelBox{};
    }
    return box;
}

int PdfPageCount(const std::string& pdf) {
    std::istringstream info(Output("pdfinfo " + Quoted(pdf) + " 2>/dev/null"));
    std::string line;
    while (std::getline(info, line)) {
        if (line.rfind("Pages:", 0) == 0) {
            return std::atoi(line.c_str() + 6);
        }
    }
    return 0;
}

PagePicture RenderPdfPage(const std::string& pdf, int page, int dpi, const PageArea& area) {
    PagePicture picture;
    const std::string stem = pdf + ".page" + std::to_string(page) + "-" + std::to_string(::getpid());
    std::string command = "pdftoppm -r " + std::to_string(dpi) + " -f " + std::to_string(page) + " -l " +
                          std::to_string(page) + " -singlefile " + Quoted(pdf) + " " + Quoted(stem);
    if (area.width > 0 && area.height > 0) {
        command += " -x " + std::to_string(area.left) + " -y " + std::to_string(area.top) + " -W " +
                   std::to_string(area.width) + " -H " + std::to_string(area.height);
    }
    if (std::system(command.c_str()) != 0) {
        return picture;
    }
    std::ifstream file(stem + ".ppm", std::ios::binary);
    std::string magic;
    int maxValue = 0;
    file >> magic >> picture.width >> picture.height >> maxValue;
    file.get(); // the single blank after the header
    if (magic != "P6" || maxValue != 255 || picture.width < 1 || picture.height < 1) {
        return PagePicture{};
    }
    picture.rgb.resize(static_cast<size_t>(picture.width) * picture.height * 3);
    file.read(reinterpret_cast<char*>(picture.rgb.data()), static_cast<std::streamsize>(picture.rgb.size()));
    std::remove((stem + ".ppm").c_str());
    if (!file) {
        return PagePicture{};
    }
    return picture;
}

std::string PdfText(const std::string& pdf, int page) {
    std::string range;
    if (page > 0) {
        range = " -f " + std::to_string(page) + " -l " + std::to_string(page);
    }
    return Output("pdftotext" + range + " " + Quoted(pdf) + " - 2>/dev/null");
}

} // namespace testsupport
