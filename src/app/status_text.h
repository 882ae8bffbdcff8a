// The status lines of the display: which English advice the window shows for the current mode
// letter and progress flags. No drawing here; the window draws what this returns and the
// headless runner reports it.
#pragma once
struct Scene;

// One status text anchored at the raster position (x, y, 0) of the camera space (before the
// user's view rotation). The text is one of the display's fixed texts, quoted with its trailing
// newline where it has one.
struct StatusLine {
    double x, y;
    const char* text;
};

// At most a title and four lines are shown.
constexpr int STATUS_MAX = 5;

struct StatusText {
    int n = 0;
    StatusLine line[STATUS_MAX] = {};
};

// The status block of the mode sgnCAL: the texts in drawing order (title first, then lines 1..4).
// Robot choice mode ('F') shows the robot choice menu instead and returns no line.
StatusText chooseStatusLines(const Scene& s);
