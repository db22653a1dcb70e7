#pragma once

struct jpeg_compress_struct;

// The one way our JPEG files begin, for the whole-picture writer and the band-by-band one alike: blue,
// green, red pixels (four bytes declared CMYK, so no colour conversion touches the alpha byte), the
// resolution in dots per inch, the quality, and the comment that tells our reader what the bytes
// really are. Call inside the caller's error guard, after the destination is set; it starts the
// compressor.
void StartJpegCompress(jpeg_compress_struct* info, int width, int height, int bytesPerPixel, int dpi,
                       int quality);
