#pragma once

class Camera;
class CGridvellumDoc;
class DcRasterCanvas;
class Matrix3;
class Rect2;

// The map drawn for a picture instead of a window: published images and thumbnails. It is the map
// view's frame without the view's parts (no border, overlays or handles), in the tileset's publish
// colours: the background is backpublishcolor, the grid appears only when the tileset publishes with
// it, and tiles draw in publish mode (text in textpublishcolor).
class PublishRenderer {
public:
    // Takes the bands of a banded render, top band first. firstRow counts picture rows from the top;
    // the band's stored rows are bottom-up like every canvas. Returning false stops the render.
    class BandSink {
    public:
        virtual ~BandSink() = default;
        virtual bool TakeBand(DcRasterCanvas& band, int firstRow) = 0;
    };

    // Draws doc into the whole of image under worldToImage (world units to stored-row pixels, both
    // y up). A transform at scale 1 is first settled to pixel centres as the camera settles the view,
    // so tiles land on the same pixels as on screen at 100 %. Nothing happens to an image without
    // pixels.
    static void Render(DcRasterCanvas& image, CGridvellumDoc& doc, const Matrix3& worldToImage);

    // The same picture of width x height pixels drawn bandRows rows at a time into one reused 24-bit
    // canvas, so a picture far larger than memory can be drawn: each band holds exactly the pixels
    // the whole-picture render gives those rows. False when a band canvas cannot be made or the sink
    // stopped the render.
    static bool RenderBands(CGridvellumDoc& doc, int width, int height, const Matrix3& worldToImage,
                            int bandRows, BandSink& sink);

    // What one band (or section) of a picture draws: its visible world widened by a few pixels, but
    // never beyond pictureWorld, which the whole picture's render culls by. Tiles are culled by their
    // boxes, while the rasterizer also paints a pixel whose centre lies within half a pixel of a box
    // and text may overhang its box a little, so no tile is left out of a band whose pixels it touches.
    static Rect2 BandCull(const Camera& band, const Rect2& pictureWorld);
};
