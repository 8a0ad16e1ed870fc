#pragma once
// The fixed-function GL layer: the OpenGL 1.x and GLU subset the program
// calls, under their own names (declared by <GL/gl.h> and <GL/glu.h>),
// drawn with shaders over OpenGL ES 3.0 natively or WebGL 2 in the browser.
// It starts on the first GL call, on the context current then, and keeps
// GL 1.x semantics: current colour, normal and texture coordinate carried
// over, matrix and attribute stacks, per-vertex lighting with colour
// material, spot lights, attenuation and two-sided lighting, client vertex
// arrays, quads as two triangles, wide lines and sized points.
//
// Entry points: glBegin glEnd glVertex3f glColor3f glColor4f glNormal3f
// glTexCoord2f glMatrixMode glLoadIdentity glLoadMatrixf glPushMatrix
// glPopMatrix glTranslatef glRotatef glScalef glEnable glDisable
// glBlendFunc glDepthFunc glShadeModel glHint glPointSize glLineWidth
// glViewport glClear glClearColor glClearDepth glPushAttrib glPopAttrib
// glFlush glFinish glLightfv glLightf glLightModelfv glLightModeli
// glMaterialfv glMaterialf glColorMaterial glGenTextures
// glBindTexture glTexParameteri glTexParameterf glTexEnvi glTexEnvf glTexImage2D
// glPixelStorei
// glPixelTransferi glGetString glGetFloatv glGetIntegerv glReadBuffer
// glReadPixels glGenLists gluPerspective gluLookAt.

//
// Only those entry points have global names; everything else of the layer,
// including the calls below, lives in namespace gl_layer.

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

// Forgets the layer and its objects on the real GL, and the framing; the
// next GL call starts it again on the context current then (for a new
// context, as in tests).
void restart();

// The real GL's objects are gone (its context was lost and came back, or
// another context took its place): makes them again on the context current
// now, the shader programs, vertex arrays and buffers and every texture
// from the copies the layer keeps, with its parameters, and sets the real
// GL's state afresh. The program's texture names and GL 1.x state stay as
// they were; what was held back for drawing is dropped.
void rebuild();

// Draws the picture the program makes for a `windowWidth` by `windowHeight`
// window at the resolution of a `bufferWidth` by `bufferHeight` drawing
// buffer, in its largest centred area of the window's shape (framing.h):
// viewports, point sizes and line widths are scaled to it, while the
// program's viewport, sizes and queries stay in window pixels. glClear
// clears the whole buffer, so the bars take the clear colour. Equal sizes
// draw as without framing. Takes effect from the next primitive.
void setFraming(int windowWidth, int windowHeight, int bufferWidth, int bufferHeight);

}  // namespace gl_layer
