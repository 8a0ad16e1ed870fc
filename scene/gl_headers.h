#pragma once
// The fixed-function OpenGL and GLU declarations the scene draws with.
#include <GL/gl.h>
#include <GL/glu.h>
