#pragma once

#include "view/PublishRenderer.h"

class CGridvellumDoc;
class Matrix3;

// Whoever draws a published picture, band after band, top band first: the program's own renderer,
// or OpenGL into an off-screen target in a run that draws through OpenGL. Every band holds the
// picture's own rows, so the picture has the same size and placement whichever draws it.
class PictureBands {
public:
    virtual ~PictureBands() = default;
    // The picture of width x height pixels of doc under worldToImage (world units to stored-row
    // pixels, both y up), about bandRows rows at a time. False when a band could not be drawn or the
    // sink stopped the render.
    virtual bool Render(CGridvellumDoc& doc, int width, int height, const Matrix3& worldToImage, int bandRows,
                        PublishRenderer::BandSink& sink) = 0;
};
