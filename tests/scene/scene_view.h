#pragma once
#include "scene/gl_headers.h"

// The frame's view as the renderer sets it: a square viewport, the 75-degree
// perspective of aspect 1.0 from 0.01 to 120, and an identity modelview.
inline void useSceneView(int size) {
    glViewport(0, 0, size, size);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(75.0, 1.0, 0.01, 120.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}
