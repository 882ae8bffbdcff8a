// The GLUT window of the simulator: window creation and its callbacks.
// The window owns the one Scene of the running program through a file-local pointer.
#pragma once
struct Scene;

// The window title.
extern const char* const WINDOW_TITLE;

// Opens the 600 x 600 window for the Scene and installs the display, reshape and keyboard
// callbacks (no idle callback). Does not enter the event loop.
void openWindow(Scene& s, int* argc, char** argv);
// openWindow, then the GLUT main loop; returns only when the loop ends.
void startGraphics(Scene& s, int* argc, char** argv);

// Reshape callback: viewport on the whole window, identity projection, modelview matrix mode.
void reshapeWindow(int width, int height);
// Idle callback while a joint spin runs: requests a redraw.
void postRedisplay();

// The GLUT callbacks, also reachable for window tests.
void windowDisplay();
void windowKeyboard(unsigned char key, int x, int y);
// Whether postRedisplay is installed as the idle callback (only while sgnSpin = 1).
bool idleInstalled();
