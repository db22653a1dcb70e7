#include "gl/TextFont.h"

#include "platform/CanvasPainter.h"

#include <array>
#include <cmath>
#include <string_view>

namespace {

constexpr std::uint32_t kWhite = 0x00FFFFFF;

// v turned by angle, its length kept.
Vec2 Turned(double x, double y, double angle) {
    const double c = std::cos(angle);
    const double s = std::sin(angle);
    return Vec2(static_cast<float>(x * c - y * s), static_cast<float>(x * s + y * c));
}

} // namespace

TextFont::TextFont() {
    Setup(u"Arial");
}

TextFont::~TextFont() = default;

void TextFont::Setup(const WString& fontName) {
    Clear();
    fontName_ = fontName;
    const int length = fontName.Length() < kMaxFaceLength ? fontName.Length() : kMaxFaceLength;
    font_ = FontDescription{};
    font_.face.assign(fontName.c_str(), static_cast<std::size_t>(length));
    font_.height = -kGlyphHeight;
    font_.weight = 400;
    font_.antialiased = true;
    if (cell_.Width() != kCellSize) {
        cell_.SetBitsPerPixel(24);
        cell_.Create(kCellSize, kCellSize);
    }
}

void TextFont::Clear() {
    glyphs_.clear();
}

const RasterCanvas& TextFont::RenderCell(char16_t character) {
    cell_.Fill(0);
    CanvasPainter& painter = cell_.Painter();
    if (painter.SetFont(font_)) {
        painter.SetRasterOp(RasterOp::CopyPen);
        painter.SetTextColor(kWhite);
        painter.SetTextBackground(false, 0);
        painter.SetTextAlign(TextAlign::Baseline);
        painter.TextOut(0, kGlyphHeight, std::u16string_view(&character, 1));
    }
    painter.Flush();
    return cell_;
}

const TextTexture& TextFont::Glyph(char16_t character) {
    auto found = glyphs_.find(character);
    if (found != glyphs_.end()) {
        return *found->second;
    }
    auto glyph = std::make_unique<TextTexture>();
    glyph->BuildText(RenderCell(character), errors_);
    return *glyphs_.emplace(character, std::move(glyph)).first->second;
}

void TextFont::Draw(const Rgb8& color, const Vec2& origin, double size, double ratio, double angle,
                    const WString& text, const std::vector<double>& advances) {
    const int length = text.Length();
    if (length == 0 || !(size > 0.0) || !std::isfinite(size * ratio)) {
        return;
    }
    const Vec2 up = Turned(0.0, size, angle);
    const Vec2 across = Turned(size * ratio, 0.0, angle);
    for (int i = 0; i < length; ++i) {
        if (i > 0 && static_cast<std::size_t>(i - 1) >= advances.size()) {
            break;
        }
        const double position = i == 0 ? 0.0 : advances[static_cast<std::size_t>(i - 1)];
        const Vec2 c0 = origin + Turned(position, 0.0, angle);
        const Vec2 c1 = c0 + up;
        const std::array<Vec2, 4> corners = {c0, c1, c0 + across, c1 + across};
        Glyph(text.At(i)).DrawText(color, corners, errors_);
    }
}
