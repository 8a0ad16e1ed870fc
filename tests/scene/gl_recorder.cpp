#include "tests/scene/gl_recorder.h"

namespace {
bool recording = false;
bool capturing = false;
std::vector<GlCall> log;
std::vector<std::array<float, 16>> savedMatrices;

void record(GlCall::Kind kind, GLenum e0 = 0, GLenum e1 = 0, float a = 0, float b = 0, float c = 0,
            float d = 0) {
    if (!recording) return;
    GlCall call{kind};
    call.e[0] = e0;
    call.e[1] = e1;
    call.v[0] = a;
    call.v[1] = b;
    call.v[2] = c;
    call.v[3] = d;
    log.push_back(call);
}
}  // namespace

namespace glrec {
void start() {
    log.clear();
    savedMatrices.clear();
    log.reserve(1 << 20);
    recording = true;
}
void stop() {
    recording = false;
}
void captureMatrices(bool on) {
    capturing = on;
}
const std::vector<std::array<float, 16>>& matrices() {
    return savedMatrices;
}
const std::vector<GlCall>& calls() {
    return log;
}

std::vector<Primitive> primitives() {
    std::vector<Primitive> out;
    bool open = false;
    for (const GlCall& c : log) {
        if (c.kind == GlCall::Begin) {
            out.push_back(Primitive{c.e[0], {}});
            open = true;
        } else if (c.kind == GlCall::End) {
            open = false;
        } else if (c.kind == GlCall::Vertex && open) {
            out.back().vertices.push_back(c);
        }
    }
    return out;
}

int count(GlCall::Kind kind) {
    int n = 0;
    for (const GlCall& c : log) n += c.kind == kind;
    return n;
}
}  // namespace glrec

extern "C" {
void __real_glBegin(GLenum);
void __real_glEnd();
void __real_glVertex3f(GLfloat, GLfloat, GLfloat);
void __real_glNormal3f(GLfloat, GLfloat, GLfloat);
void __real_glColor3f(GLfloat, GLfloat, GLfloat);
void __real_glColor4f(GLfloat, GLfloat, GLfloat, GLfloat);
void __real_glTexCoord2f(GLfloat, GLfloat);
void __real_glEnable(GLenum);
void __real_glDisable(GLenum);
void __real_glBlendFunc(GLenum, GLenum);
void __real_glLineWidth(GLfloat);
void __real_glPointSize(GLfloat);
void __real_glPushMatrix();
void __real_glPopMatrix();
void __real_glTranslatef(GLfloat, GLfloat, GLfloat);
void __real_glRotatef(GLfloat, GLfloat, GLfloat, GLfloat);
void __real_glScalef(GLfloat, GLfloat, GLfloat);
void __real_glLoadMatrixf(const GLfloat*);
void __real_glLoadIdentity();
void __real_glMatrixMode(GLenum);
void __real_glBindTexture(GLenum, GLuint);
void __real_glColorMaterial(GLenum, GLenum);
void __real_glPushAttrib(GLbitfield);
void __real_glPopAttrib();
void __real_glClear(GLbitfield);

void __wrap_glBegin(GLenum mode) {
    record(GlCall::Begin, mode);
    __real_glBegin(mode);
}
void __wrap_glEnd() {
    record(GlCall::End);
    __real_glEnd();
}
void __wrap_glVertex3f(GLfloat x, GLfloat y, GLfloat z) {
    record(GlCall::Vertex, 0, 0, x, y, z);
    __real_glVertex3f(x, y, z);
}
void __wrap_glNormal3f(GLfloat x, GLfloat y, GLfloat z) {
    record(GlCall::Normal, 0, 0, x, y, z);
    __real_glNormal3f(x, y, z);
}
void __wrap_glColor3f(GLfloat r, GLfloat g, GLfloat b) {
    record(GlCall::Color, 3, 0, r, g, b, 1.0f);
    __real_glColor3f(r, g, b);
}
void __wrap_glColor4f(GLfloat r, GLfloat g, GLfloat b, GLfloat a) {
    record(GlCall::Color, 4, 0, r, g, b, a);
    __real_glColor4f(r, g, b, a);
}
void __wrap_glTexCoord2f(GLfloat s, GLfloat t) {
    record(GlCall::TexCoord, 0, 0, s, t);
    __real_glTexCoord2f(s, t);
}
void __wrap_glEnable(GLenum cap) {
    record(GlCall::Enable, cap);
    __real_glEnable(cap);
}
void __wrap_glDisable(GLenum cap) {
    record(GlCall::Disable, cap);
    __real_glDisable(cap);
}
void __wrap_glBlendFunc(GLenum s, GLenum d) {
    record(GlCall::BlendFunc, s, d);
    __real_glBlendFunc(s, d);
}
void __wrap_glLineWidth(GLfloat w) {
    record(GlCall::LineWidth, 0, 0, w);
    __real_glLineWidth(w);
}
void __wrap_glPointSize(GLfloat s) {
    record(GlCall::PointSize, 0, 0, s);
    __real_glPointSize(s);
}
void __wrap_glPushMatrix() {
    record(GlCall::PushMatrix);
    if (recording && capturing) {
        std::array<float, 16> m;
        glGetFloatv(GL_MODELVIEW_MATRIX, m.data());
        savedMatrices.push_back(m);
        log.back().matrix = static_cast<int>(savedMatrices.size()) - 1;
    }
    __real_glPushMatrix();
}
void __wrap_glPopMatrix() {
    record(GlCall::PopMatrix);
    __real_glPopMatrix();
}
void __wrap_glTranslatef(GLfloat x, GLfloat y, GLfloat z) {
    record(GlCall::Translate, 0, 0, x, y, z);
    __real_glTranslatef(x, y, z);
}
void __wrap_glRotatef(GLfloat a, GLfloat x, GLfloat y, GLfloat z) {
    record(GlCall::Rotate, 0, 0, a, x, y, z);
    __real_glRotatef(a, x, y, z);
}
void __wrap_glScalef(GLfloat x, GLfloat y, GLfloat z) {
    record(GlCall::Scale, 0, 0, x, y, z);
    __real_glScalef(x, y, z);
}
void __wrap_glLoadMatrixf(const GLfloat* m) {
    record(GlCall::LoadMatrix, 0, 0, m[12], m[13], m[14], m[0]);
    __real_glLoadMatrixf(m);
}
void __wrap_glLoadIdentity() {
    record(GlCall::LoadIdentity);
    __real_glLoadIdentity();
}
void __wrap_glMatrixMode(GLenum mode) {
    record(GlCall::MatrixMode, mode);
    __real_glMatrixMode(mode);
}
void __wrap_glBindTexture(GLenum target, GLuint name) {
    record(GlCall::BindTexture, target, name);
    __real_glBindTexture(target, name);
}
void __wrap_glColorMaterial(GLenum face, GLenum mode) {
    record(GlCall::ColorMaterial, face, mode);
    __real_glColorMaterial(face, mode);
}
void __wrap_glPushAttrib(GLbitfield mask) {
    record(GlCall::PushAttrib, mask);
    __real_glPushAttrib(mask);
}
void __wrap_glPopAttrib() {
    record(GlCall::PopAttrib);
    __real_glPopAttrib();
}
void __wrap_glClear(GLbitfield mask) {
    record(GlCall::Clear, mask);
    __real_glClear(mask);
}
}
