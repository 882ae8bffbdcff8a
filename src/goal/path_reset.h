// Emptying of the reverse path state when the goal calculation sets a new final pose.
#pragma once

struct Scene;

// Empties the path state of the reverse path generation (a new final pose invalidates it).
void resetPathForNewPose(Scene& s);
