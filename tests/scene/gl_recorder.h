#pragma once
// Records the immediate-mode GL calls the scene code makes. The test
// executables are linked with --wrap for each call below, so every call from
// the scene libraries lands here first, is recorded while recording is on,
// and is then passed on to the real GL.
#include <GL/gl.h>

#include <array>
#include <vector>

struct GlCall {
    enum Kind {
        Begin,
        End,
        Vertex,
        Normal,
        Color,
        TexCoord,
        Enable,
        Disable,
        BlendFunc,
        LineWidth,
        PointSize,
        PushMatrix,
        PopMatrix,
        Translate,
        Rotate,
        Scale,
        LoadMatrix,
        LoadIdentity,
        MatrixMode,
        BindTexture,
        ColorMaterial,
        PushAttrib,
        PopAttrib,
        Clear,
    };
    Kind kind;
    GLenum e[2] = {0, 0};  // enums / names
    float v[4] = {0, 0, 0, 0};
    int matrix = -1;  // index into glrec::matrices() for PushMatrix, when captured
};

namespace glrec {
void start();  // clears the log and records from now on
void stop();
// While on, every glPushMatrix also keeps the modelview matrix it saves.
void captureMatrices(bool on);
const std::vector<std::array<float, 16>>& matrices();
const std::vector<GlCall>& calls();

// One glBegin .. glEnd list: its mode and the vertices in it.
struct Primitive {
    GLenum mode;
    std::vector<GlCall> vertices;
};
std::vector<Primitive> primitives();
int count(GlCall::Kind kind);
}  // namespace glrec
