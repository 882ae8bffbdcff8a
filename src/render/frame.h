// One frame of the simulator window: camera, legend, structure texts, the status block of the
// mode (or the robot choice menu), then the 3-D scene.
#pragma once
struct Scene;

// The key legend: seven rows of the overlay, each ending with a newline.
extern const char LEGEND[7][100];

// Draws the whole frame into the back buffer (no swap).
void drawScene(Scene& s);
// The display routine: drawScene, finishFrame, then one joint spin step unless the window is
// reported damaged. Does nothing before the window is open.
void redrawScene(Scene& s);

// Whether the window is open: the window says so when it opens and when its loop ends; drawing
// before that is skipped.
void setWindowOpen(bool open);
bool windowIsOpen();
