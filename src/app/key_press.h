// One key press through the key table (app/key_table.h): the keys the automatic solve presses.
#pragma once
struct Scene;

// Runs the row of the key table that takes key in the current mode; keyLast is the key. Every
// key but 'N', which does nothing here: its automatic solve presses keys through this function,
// and keyboard() (app/keyboard.h) runs it.
void pressKey(Scene& s, unsigned char key);
