#pragma once
// The fixed-function GL layer: the OpenGL 1.x and GLU subset the program
// calls, under their own names (declared by <GL/gl.h> and <GL/glu.h>),
// drawn with shaders over OpenGL ES 3.0 natively or WebGL 2 in the browser.
// It starts on the first GL call, on the context current then, and keeps
// GL 1.x semantics: current colour, normal and texture coordinate carried
// over, matrix and attribute stacks, per-vertex lighting with colour
// material, quads as two triangles, wide lines and sized points.
//
// Entry points: glBegin glEnd glVertex3f glColor3f glColor4f glNormal3f
// glTexCoord2f glMatrixMode glLoadIdentity glLoadMatrixf glPushMatrix
// glPopMatrix glTranslatef glRotatef glScalef glEnable glDisable
// glBlendFunc glDepthFunc glShadeModel glHint glPointSize glLineWidth
// glViewport glClear glClearColor glClearDepth glPushAttrib glPopAttrib
// glFlush glFinish glLightfv glLightModelfv glColorMaterial glGenTextures
// glBindTexture glTexParameteri glTexParameterf glTexImage2D glPixelStorei
// glPixelTransferi glGetString glGetFloatv glGetIntegerv glReadBuffer
// glReadPixels glGenLists gluPerspective gluLookAt.

//
// Only those entry points have global names; everything else of the layer,
// including the three calls below, lives in namespace gl_layer.

namespace gl_layer {

struct Counts {
    long begins = 0;  // glBegin calls
    long draws = 0;   // draws handed to the real GL
};
Counts counts();

// Draws everything the layer holds back. glFlush, glFinish, glClear and
// glReadPixels do so too; a platform calls it before showing a frame
// (platform::finishGlFrame does).
void flush();

// Forgets the layer and its objects on the real GL; the next GL call starts
// it again on the context current then (for a new context, as in tests).
void restart();

}  // namespace gl_layer
