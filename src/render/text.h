// On-screen text with GLUT bitmap fonts: overlay texts in a fixed 600 x 600 window space
// (origin bottom left) and texts anchored at a 3-D raster position.
#pragma once

// Length of one row of a text block; every row ends with a newline.
constexpr int TEXT_ROW = 100;

// The font every caller passes (GLUT_BITMAP_HELVETICA_18).
void* textFont();

// Black text from (x, y) of the overlay space up to its first newline.
void drawText2D(double x, double y, void* font, const char* text);
// Rows 0..n-1 of a block, row k from (x, y0 + k dy), each up to its newline.
void drawTextLines(double x, double y0, int n, double dy, void* font, const char (*rows)[TEXT_ROW]);
// Text from the raster position (x, y, z) of the current modelview space up to its end, in the
// current colour; newline characters are passed to the font like any other.
void drawText3D(double x, double y, double z, void* font, const char* text);
