// Keys of the path generation and the motion: 'B', 'C', 'H' and the keys of B and C mode.
#pragma once
struct Scene;

// 'B': checks the accepted final pose and starts (or resumes) the path backwards from it.
void pathGenerationKey(Scene& s, unsigned char key);
// 'C': smooths the path, turns it into the forward motion, the robot at the initial pose.
void pathMotionKey(Scene& s, unsigned char key);
// 'H': the shortened motion beside the forward path, on a complete path.
void shortMotionKey(Scene& s, unsigned char key);
// B mode 's': after a review one row forward, at the newest row the next step of the phase.
void pathStepKey(Scene& s, unsigned char key);
// B mode 'S': one row back through the rows made.
void reviewBackKey(Scene& s, unsigned char key);
// B mode, other keys: back to the goal calculation (calAa) when the final pose is not usable.
void pathOtherKey(Scene& s, unsigned char key);
// C mode 's': one step forward along the path, or the path generation while it is not complete.
void playForwardKey(Scene& s, unsigned char key);
// C mode 'S': one step back along the path.
void playBackKey(Scene& s, unsigned char key);
