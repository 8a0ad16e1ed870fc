#pragma once
// The OpenGL ES 3.0 / WebGL 2 functions the layer draws with, reached only
// through this table so that the layer never calls the GL 1.x names it
// defines itself. Natively the table is filled from SDL_GL_GetProcAddress,
// in the browser from Emscripten's emscripten_gl* functions.
#include <GL/gl.h>

#include <string>

// X(return type, name without "gl", parameter list)
#define GL_LAYER_ES_FUNCTIONS(X)                                                                   \
    X(void, ActiveTexture, (GLenum texture))                                                       \
    X(void, AttachShader, (GLuint program, GLuint shader))                                         \
    X(void, BindAttribLocation, (GLuint program, GLuint index, const GLchar* name))                \
    X(void, BindBuffer, (GLenum target, GLuint buffer))                                            \
    X(void, BindTexture, (GLenum target, GLuint texture))                                          \
    X(void, BindVertexArray, (GLuint array))                                                       \
    X(void, BlendFunc, (GLenum sfactor, GLenum dfactor))                                           \
    X(void, BufferData, (GLenum target, GLsizeiptr size, const void* data, GLenum usage))          \
    X(void, BufferSubData, (GLenum target, GLintptr offset, GLsizeiptr size, const void* data))    \
    X(void, Clear, (GLbitfield mask))                                                              \
    X(void, ClearColor, (GLfloat r, GLfloat g, GLfloat b, GLfloat a))                              \
    X(void, ClearDepthf, (GLfloat depth))                                                          \
    X(void, CompileShader, (GLuint shader))                                                        \
    X(GLuint, CreateProgram, (void))                                                               \
    X(GLuint, CreateShader, (GLenum type))                                                         \
    X(void, CullFace, (GLenum mode))                                                               \
    X(void, DepthFunc, (GLenum func))                                                              \
    X(void, Disable, (GLenum cap))                                                                 \
    X(void, DrawBuffers, (GLsizei n, const GLenum* bufs))                                          \
    X(void, DrawElements, (GLenum mode, GLsizei count, GLenum type, const void* indices))          \
    X(void, Enable, (GLenum cap))                                                                  \
    X(void, EnableVertexAttribArray, (GLuint index))                                               \
    X(void, Finish, (void))                                                                        \
    X(void, Flush, (void))                                                                         \
    X(void, FrontFace, (GLenum mode))                                                              \
    X(void, GenBuffers, (GLsizei n, GLuint * buffers))                                             \
    X(void, GenTextures, (GLsizei n, GLuint * textures))                                           \
    X(void, GenVertexArrays, (GLsizei n, GLuint * arrays))                                         \
    X(void, GenerateMipmap, (GLenum target))                                                       \
    X(GLenum, GetError, (void))                                                                    \
    X(void, GetIntegerv, (GLenum pname, GLint * data))                                             \
    X(void, GetProgramInfoLog, (GLuint program, GLsizei size, GLsizei * length, GLchar * log))     \
    X(void, GetProgramiv, (GLuint program, GLenum pname, GLint * params))                          \
    X(void, GetShaderInfoLog, (GLuint shader, GLsizei size, GLsizei * length, GLchar * log))       \
    X(void, GetShaderiv, (GLuint shader, GLenum pname, GLint * params))                            \
    X(const GLubyte*, GetString, (GLenum name))                                                    \
    X(GLint, GetUniformLocation, (GLuint program, const GLchar* name))                             \
    X(void, LinkProgram, (GLuint program))                                                         \
    X(void, PixelStorei, (GLenum pname, GLint param))                                              \
    X(void, ReadBuffer, (GLenum src))                                                              \
    X(void, ReadPixels,                                                                            \
      (GLint x, GLint y, GLsizei width, GLsizei height, GLenum format, GLenum type, void* pixels)) \
    X(void, ShaderSource,                                                                          \
      (GLuint shader, GLsizei count, const GLchar* const* string, const GLint* length))            \
    X(void, TexImage2D,                                                                            \
      (GLenum target, GLint level, GLint internalformat, GLsizei width, GLsizei height,            \
       GLint border, GLenum format, GLenum type, const void* pixels))                              \
    X(void, TexParameteri, (GLenum target, GLenum pname, GLint param))                             \
    X(void, Uniform1f, (GLint location, GLfloat v0))                                               \
    X(void, Uniform1i, (GLint location, GLint v0))                                                 \
    X(void, UseProgram, (GLuint program))                                                          \
    X(void, VertexAttribPointer,                                                                   \
      (GLuint index, GLint size, GLenum type, GLboolean normalized, GLsizei stride,                \
       const void* pointer))                                                                       \
    X(void, Viewport, (GLint x, GLint y, GLsizei width, GLsizei height))

namespace gl_layer {

struct EsFunctions {
#define GL_LAYER_ES_MEMBER(ret, name, params) ret(GLAPIENTRY* name) params = nullptr;
    GL_LAYER_ES_FUNCTIONS(GL_LAYER_ES_MEMBER)
#undef GL_LAYER_ES_MEMBER
};

// Fills `table` for the current context; false with the first missing
// function's name in `missing`.
bool loadEsFunctions(EsFunctions& table, std::string& missing);

}  // namespace gl_layer
