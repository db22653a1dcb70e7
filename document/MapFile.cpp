#include "document/MapFile.h"

#include "support/Matrix3.h"
#include "support/XmlElement.h"
#include "tileset/TileSet.h"

#include <bit>
#include <cmath>
#include <cstdint>

namespace {

void PutFloat(std::uint8_t* out, double value) {
    const std::uint32_t bits = std::bit_cast<std::uint32_t>(static_cast<float>(value));
    out[0] = static_cast<std::uint8_t>(bits);
    out[1] = static_cast<std::uint8_t>(bits >> 8);
    out[2] = static_cast<std::uint8_t>(bits >> 16);
    out[3] = static_cast<std::uint8_t>(bits >> 24);
}

float GetFloat(const std::uint8_t* in) {
    const std::uint32_t bits = static_cast<std::uint32_t>(in[0]) | (static_cast<std::uint32_t>(in[1]) << 8) |
                               (static_cast<std::uint32_t>(in[2]) << 16) |
                               (static_cast<std::uint32_t>(in[3]) << 24);
    return std::bit_cast<float>(bits);
}

} // namespace

WString MapFile::EncodeMatrix(const Matrix3& matrix) {
    std::uint8_t bytes[kMatrixBytes];
    const double values[6] = {matrix.m11(), matrix.m12(), matrix.m21(),
                              matrix.m22(), matrix.m31(), matrix.m32()};
    for (int i = 0; i < 6; ++i) {
        PutFloat(bytes + 4 * i, values[i]);
    }
    return WString::EncodeBytes(bytes, kMatrixBytes);
}

void MapFile::AppendMatrix(WString& out, const Matrix3& matrix) {
    out.Append(EncodeMatrix(matrix));
}

bool MapFile::DecodeMatrix(const WString& text, Matrix3& out) {
    if (WString::DecodeBytes(text, nullptr, 0) != kMatrixBytes) {
        return false;
    }
    std::uint8_t bytes[kMatrixBytes];
    if (WString::DecodeBytes(text, bytes, kMatrixBytes) != kMatrixBytes) {
        return false;
    }
    float values[6];
    for (int i = 0; i < 6; ++i) {
        values[i] = GetFloat(bytes + 4 * i);
        // Infinite or undefined entries would poison bounds, snapping and drawing alike.
        if (!std::isfinite(values[i])) {
            return false;
        }
    }
    out.Set(values[0], values[1], values[2], values[3], values[4], values[5]);
    return true;
}

std::vector<WString> MapFile::SplitFields(const WString& value, int maxFields) {
    std::vector<WString> fields;
    const char16_t* units = value.c_str();
    const int length = value.Length();
    int start = 0;
    while (static_cast<int>(fields.size()) < maxFields) {
        int end = start;
        while (end < length && units[end] != u',') {
            ++end;
        }
        WString field(units + start, end - start);
        field.Trim();
        fields.push_back(std::move(field));
        if (end >= length) {
            break;
        }
        start = end + 1;
    }
    return fields;
}

unsigned MapFile::ResolveDefinition(const XmlElement& element, const TileSet& tileSet) {
    const WString& name = element.Attribute(u"name");
    if (name.IsEmpty()) {
        return element.Attribute(u"id").AsUnsigned();
    }
    return static_cast<unsigned>(tileSet.Find(name));
}

WString MapFile::ColorText(const Rgb8& color) {
    WString text;
    text.AppendInt(color.r);
    text.AppendUnit(u',');
    text.AppendInt(color.g);
    text.AppendUnit(u',');
    text.AppendInt(color.b);
    return text;
}

bool MapFile::ParseColor(const WString& text, Rgb8& color) {
    if (text.IsEmpty()) {
        return false;
    }
    std::uint8_t channels[3] = {0, 0, 0};
    for (int i = 0; i < 3; ++i) {
        WString field;
        if (text.Field(i, u',', true, field)) {
            channels[i] = static_cast<std::uint8_t>(field.AsInt() & 0xFF);
        }
    }
    color.Set(channels[0], channels[1], channels[2]);
    return true;
}
