// The camera of every frame, the user's view and the end of a frame (OpenGL).
#pragma once

// First step of every frame: clears, sets the perspective, the fixed eye and light 0.
void setCamera();
// The user's view: rotations about x, y and z in degrees, then the translation.
void applyView(const double* viewRot, const double* viewShift);
// Flush and swap buffers.
void finishFrame();
