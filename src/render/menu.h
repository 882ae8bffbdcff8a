// The on-screen menu of robot choice mode: pictures of the upper and lower structures with their
// numbers and the texts that explain the two-digit choice.
#pragma once
struct Scene;

// Allocates the menu's own robot model once (the pictures never touch the Scene's robot).
void prepareMenuModel();
// Draws the menu in the current modelview space; reads only ROBOTNUM of the Scene.
void drawMenu(const Scene& s);
