#error "slitpass_core must not use OpenGL, GLU or GLUT"
