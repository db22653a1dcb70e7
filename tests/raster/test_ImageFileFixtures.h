#pragma once

// Small image files built in memory for the image reader tests: PNGs written with libpng in every
// colour type the readers must expand, and helpers to place bytes in files.

#include "common/ScratchDir.h"

#include <png.h>

#include <cstdio> // jpeglib.h needs FILE declared first

#include <jpeglib.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace fixtures {

struct PngRecipe {
    int width = 1;
    int height = 1;
    int colorType = PNG_COLOR_TYPE_RGB;
    int bitDepth = 8;
    bool interlaced = false;
    std::vector<std::uint8_t> rows; // packed rows as PNG stores them, top row first
    std::vector<png_color> palette;
    std::vector<std::uint8_t> paletteAlpha; // tRNS for palette images
    bool greyKey = false;                   // tRNS for grey images: this value is transparent
    int greyKeyValue = 0;
    png_uint_32 physX = 0;
    png_uint_32 physY = 0;
    int physUnit = -1; // -1: no pHYs chunk
};

inline void AppendToVector(png_structp png, png_bytep data, png_size_t size) {
    auto* out = static_cast<std::vector<std::uint8_t>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + size);
}

inline void IgnoreFlush(png_structp) {}

inline int PngChannels(int colorType) {
    switch (colorType) {
    case PNG_COLOR_TYPE_GRAY:
    case PNG_COLOR_TYPE_PALETTE:
        return 1;
    case PNG_COLOR_TYPE_GRAY_ALPHA:
        return 2;
    case PNG_COLOR_TYPE_RGB:
        return 3;
    default:
        return 4;
    }
}

inline std::size_t PngRowBytes(const PngRecipe& recipe) {
    return (static_cast<std::size_t>(recipe.width) * PngChannels(recipe.colorType) * recipe.bitDepth + 7) / 8;
}

// The writer's setjmp stays in this function, which holds no C++ object whose destructor could be skipped.
inline bool WritePngGuarded(png_structp png, png_infop info, const PngRecipe* recipe,
                            png_bytepp rowPointers) {
    if (setjmp(png_jmpbuf(png))) {
        return false;
    }
    png_set_IHDR(png, info, recipe->width, recipe->height, recipe->bitDepth, recipe->colorType,
                 recipe->interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    if (!recipe->palette.empty()) {
        png_set_PLTE(png, info, recipe->palette.data(), static_cast<int>(recipe->palette.size()));
    }
    if (!recipe->paletteAlpha.empty()) {
        png_set_tRNS(png, info, recipe->paletteAlpha.data(), static_cast<int>(recipe->paletteAlpha.size()),
                     nullptr);
    }
    if (recipe->greyKey) {
        png_color_16 key{};
        key.gray = static_cast<png_uint_16>(recipe->greyKeyValue);
        png_set_tRNS(png, info, nullptr, 0, &key);
    }
    if (recipe->physUnit >= 0) {
        png_set_pHYs(png, info, recipe->physX, recipe->physY, recipe->physUnit);
    }
    png_set_rows(png, info, rowPointers);
    png_write_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
    return true;
}

inline std::vector<std::uint8_t> WritePng(const PngRecipe& recipe) {
    std::vector<std::uint8_t> out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_set_write_fn(png, &out, AppendToVector, IgnoreFlush);
    std::vector<png_bytep> rowPointers(recipe.height);
    std::vector<std::uint8_t> rows = recipe.rows;
    rows.resize(PngRowBytes(recipe) * recipe.height);
    for (int y = 0; y < recipe.height; ++y) {
        rowPointers[y] = rows.data() + PngRowBytes(recipe) * y;
    }
    if (!WritePngGuarded(png, info, &recipe, rowPointers.data())) {
        out.clear();
    }
    png_destroy_write_struct(&png, &info);
    return out;
}

struct JpegRecipe {
    int width = 1;
    int height = 1;
    int components = 3;
    J_COLOR_SPACE colorSpace = JCS_RGB;
    std::vector<std::uint8_t> rows; // packed, top row first, components bytes per pixel
    int quality = 100;
    int densityUnit = 0;
    int xDensity = 1;
    int yDensity = 1;
    std::string comment; // none when empty
    bool progressive = false;
    bool arithmetic = false;
};

// A JPEG as another program would write it: any colour space, density and comment. Fixtures are valid,
// so the library's default error handling is enough here.
inline std::vector<std::uint8_t> WriteJpeg(const JpegRecipe& recipe) {
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = recipe.width;
    info.image_height = recipe.height;
    info.input_components = recipe.components;
    info.in_color_space = recipe.colorSpace;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, recipe.quality, TRUE);
    info.density_unit = static_cast<UINT8>(recipe.densityUnit);
    info.X_density = static_cast<UINT16>(recipe.xDensity);
    info.Y_density = static_cast<UINT16>(recipe.yDensity);
    if (recipe.progressive) {
        jpeg_simple_progression(&info);
    }
    info.arith_code = recipe.arithmetic ? TRUE : FALSE;
    jpeg_start_compress(&info, TRUE);
    if (!recipe.comment.empty()) {
        jpeg_write_marker(&info, JPEG_COM, reinterpret_cast<const JOCTET*>(recipe.comment.data()),
                          static_cast<unsigned>(recipe.comment.size()));
    }
    std::vector<std::uint8_t> rows = recipe.rows;
    rows.resize(static_cast<std::size_t>(recipe.width) * recipe.height * recipe.components);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row =
            rows.data() + static_cast<std::size_t>(info.next_scanline) * recipe.width * recipe.components;
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    std::vector<std::uint8_t> out(buffer, buffer + size);
    jpeg_destroy_compress(&info);
    std::free(buffer);
    return out;
}

inline bool WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) {
        return false;
    }
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

inline std::vector<std::uint8_t> ReadBytes(const std::string& path) {
    std::vector<std::uint8_t> bytes;
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr) {
        return bytes;
    }
    std::uint8_t block[4096];
    std::size_t got = 0;
    while ((got = std::fread(block, 1, sizeof block, f)) > 0) {
        bytes.insert(bytes.end(), block, block + got);
    }
    std::fclose(f);
    return bytes;
}

// A fresh directory for one test, removed with this object.
using TempDir = testsupport::ScratchDir;

// Row pointers over a packed top-down buffer.
inline std::vector<std::uint8_t*> RowsOf(std::vector<std::uint8_t>& pixels, int height) {
    std::vector<std::uint8_t*> rows(height);
    const std::size_t rowBytes = height > 0 ? pixels.size() / height : 0;
    for (int y = 0; y < height; ++y) {
        rows[y] = pixels.data() + rowBytes * y;
    }
    return rows;
}

// What an image reader made of a file: its header and its rows, packed top row first.
struct Decoded {
    bool headerOk = false;
    bool rowsOk = false;
    int width = 0;
    int height = 0;
    int bytesPerPixel = 0;
    int dpi = 0;
    std::vector<std::uint8_t> pixels; // rows the reader left unwritten keep the byte 0xCD
};

// Reads file's header and then all its rows through reader (PngFile, JpegFile).
template <typename Reader> Decoded DecodeWith(Reader& reader, const std::vector<std::uint8_t>& file) {
    Decoded result;
    result.headerOk = reader.ReadHeader(file.data(), file.size());
    if (!result.headerOk) {
        return result;
    }
    result.width = reader.Width();
    result.height = reader.Height();
    result.bytesPerPixel = reader.BytesPerPixel();
    result.dpi = reader.Dpi();
    result.pixels.assign(static_cast<std::size_t>(result.width) * result.height * result.bytesPerPixel, 0xCD);
    auto rows = RowsOf(result.pixels, result.height);
    result.rowsOk = reader.ReadRows(rows.data());
    return result;
}

} // namespace fixtures
