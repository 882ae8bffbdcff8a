// The key dispatcher: every key of the window and of the headless runner comes through here.
#pragma once
struct Scene;

void keyboard(Scene& s, unsigned char key);
