#pragma once

// What one printed page holds, in the printing device's own pixels. Drawing on a page is relative to
// the printable area's top-left corner, which lies offsetX, offsetY from the corner of the paper.
struct PageMetrics {
    int dpiX = 0; // device pixels per inch across
    int dpiY = 0; // and down
    int offsetX = 0;
    int offsetY = 0;
    int printableWidth = 0;
    int printableHeight = 0;
};
