#pragma once

class DcRasterCanvas;
struct TextRun;

// A text tile on a software canvas: its box when selected, then its letters through the platform's
// font at the size and angle the run's transform gives, each character at its measured advance so
// the caret lines up with the letters at any zoom.
class TextTileDrawing {
public:
    static void Draw(DcRasterCanvas& target, const TextRun& run);

private:
    static void DrawBox(DcRasterCanvas& target, const TextRun& run);
    static void DrawLetters(DcRasterCanvas& target, const TextRun& run);
};
