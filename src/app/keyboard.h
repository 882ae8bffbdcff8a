// The key dispatcher: every key of the window and of the headless runner comes through here.
#pragma once
struct Scene;

// Runs the row of the key table (app/key_table.h) that takes key: pressKey (app/key_press.h),
// and the automatic solve of 'N'.
void keyboard(Scene& s, unsigned char key);
