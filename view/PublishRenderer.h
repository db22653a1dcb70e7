#pragma once

class CGridvellumDoc;
class DcRasterCanvas;
class Matrix3;

// The map drawn for a picture instead of a window: published images and thumbnails. It is the map
// view's software frame without the view's parts (no border, overlays or handles), in the tileset's
// publish colours: the background is backpublishcolor, the grid appears only when the tileset
// publishes with it, and tiles draw in publish mode (text in textpublishcolor).
class PublishRenderer {
public:
    // Draws doc into the whole of image under worldToImage (world units to stored-row pixels, both
    // y up). A transform at scale 1 is first settled to pixel centres as the camera settles the view,
    // so tiles land on the same pixels as on screen at 100 %. Nothing happens to an image without
    // pixels.
    static void Render(DcRasterCanvas& image, CGridvellumDoc& doc, const Matrix3& worldToImage);
};
