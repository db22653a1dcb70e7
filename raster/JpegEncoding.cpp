#include "raster/JpegEncoding.h"

#include "raster/JpegFile.h"

#include <cstdio> // jpeglib.h needs FILE declared first

#include <jpeglib.h>

#include <cstring>

void StartJpegCompress(jpeg_compress_struct* info, int width, int height, int bytesPerPixel, int dpi,
                       int quality) {
    info->image_width = static_cast<JDIMENSION>(width);
    info->image_height = static_cast<JDIMENSION>(height);
    info->input_components = bytesPerPixel;
    info->in_color_space = bytesPerPixel == 4 ? JCS_CMYK : JCS_EXT_BGR;
    jpeg_set_defaults(info);
    info->density_unit = 1;
    info->X_density = static_cast<UINT16>(dpi);
    info->Y_density = static_cast<UINT16>(dpi);
    jpeg_set_quality(info, quality, TRUE);
    jpeg_start_compress(info, TRUE);
    const char* comment = bytesPerPixel == 4 ? JpegFile::kRgbaComment : JpegFile::kRgbComment;
    jpeg_write_marker(info, JPEG_COM, reinterpret_cast<const JOCTET*>(comment),
                      static_cast<unsigned int>(std::strlen(comment)));
}
