// Setting keys: reset, robot choice (F mode), the slit (O mode) and the goal setting request.
#pragma once
struct Scene;

// '0': resetAll, the initial pose; the next robot choice sets the robot's slit and goal again.
void resetKey(Scene& s, unsigned char key);
// 'F': robot choice mode.
void robotChoiceKey(Scene& s, unsigned char key);
// F mode, every key: the two digits of the robot choice (RBTCHOICE1).
void robotDigitKey(Scene& s, unsigned char key);
// 'G': the goal setting request (shows the abnormal-stop status).
void goalSettingKey(Scene& s, unsigned char key);
// 'O': slit setting mode; remembers where the goal calculation or the path generation was left.
void slitSettingKey(Scene& s, unsigned char key);
// O mode '1'..'6': the slit base point rh by +/-0.01 in x, y, z; the path record is emptied.
void slitMoveKey(Scene& s, unsigned char key);
// O mode, other keys: the wall's reach and the alpha sides derived again, nothing moves.
void slitOtherKey(Scene& s, unsigned char key);
