#include "platform/gl_layer/batch_renderer.h"

#include <algorithm>
#include <cstddef>

namespace gl_layer {

namespace {

// GLSL ES 3.00, which WebGL 2 takes as it is. Positions arrive in clip
// space and colours already lit; the fragment stage is GL's modulate
// texture environment.
constexpr const char* kVertexShader = R"(#version 300 es
layout(location = 0) in vec4 position;
layout(location = 1) in vec4 color;
layout(location = 2) in vec3 texCoord;
layout(location = 3) in vec4 backColor;
uniform float pointSize;
out vec4 vertexColor;
out vec4 vertexBackColor;
out vec3 vertexTexCoord;
void main() {
    gl_Position = position;
    gl_PointSize = pointSize;
    vertexColor = color;
    vertexBackColor = backColor;
    vertexTexCoord = texCoord;
}
)";

// The fragment stage in four variants, so that each draw runs only what it
// needs: the colour alone, GL's modulate texture environment, modulate
// with a projective texture coordinate (a texture matrix that changes q),
// and the combine environment's dot product of the texture and the colour
// (GL_DOT3_RGB; alpha modulated).
constexpr const char* kFragmentShaders[4] = {
    R"(#version 300 es
precision highp float;
in vec4 vertexColor;
in vec4 vertexBackColor;
out vec4 fragmentColor;
void main() {
    fragmentColor = gl_FrontFacing ? vertexColor : vertexBackColor;
}
)",
    R"(#version 300 es
precision highp float;
in vec4 vertexColor;
in vec4 vertexBackColor;
in vec3 vertexTexCoord;
uniform sampler2D image;
out vec4 fragmentColor;
void main() {
    fragmentColor = (gl_FrontFacing ? vertexColor : vertexBackColor) *
                    texture(image, vertexTexCoord.xy);
}
)",
    R"(#version 300 es
precision highp float;
in vec4 vertexColor;
in vec4 vertexBackColor;
in vec3 vertexTexCoord;
uniform sampler2D image;
out vec4 fragmentColor;
void main() {
    fragmentColor = (gl_FrontFacing ? vertexColor : vertexBackColor) *
                    textureProj(image, vertexTexCoord);
}
)",
    R"(#version 300 es
precision highp float;
in vec4 vertexColor;
in vec4 vertexBackColor;
in vec3 vertexTexCoord;
uniform sampler2D image;
out vec4 fragmentColor;
void main() {
    vec4 c = gl_FrontFacing ? vertexColor : vertexBackColor;
    vec4 t = texture(image, vertexTexCoord.xy);
    float d = clamp(4.0 * dot(t.rgb - 0.5, c.rgb - 0.5), 0.0, 1.0);
    fragmentColor = vec4(d, d, d, c.a * t.a);
}
)"};

constexpr GLenum kCompileStatus = 0x8B81;
constexpr GLenum kLinkStatus = 0x8B82;
constexpr GLenum kVertexShaderType = 0x8B31;
constexpr GLenum kFragmentShaderType = 0x8B30;
constexpr GLenum kArrayBuffer = 0x8892;
constexpr GLenum kElementArrayBuffer = 0x8893;
constexpr GLenum kStreamDraw = 0x88E0;
constexpr GLenum kTexture0 = 0x84C0;

GLuint compile(const EsFunctions& es, GLenum type, const char* source, std::string& error) {
    const GLuint shader = es.CreateShader(type);
    es.ShaderSource(shader, 1, &source, nullptr);
    es.CompileShader(shader);
    GLint ok = 0;
    es.GetShaderiv(shader, kCompileStatus, &ok);
    if (!ok) {
        char log[1024] = {};
        es.GetShaderInfoLog(shader, sizeof log, nullptr, log);
        error = std::string("shader does not compile: ") + log;
        return 0;
    }
    return shader;
}

GLuint link(const EsFunctions& es, GLuint vertex, GLuint fragment, std::string& error) {
    const GLuint program = es.CreateProgram();
    es.AttachShader(program, vertex);
    es.AttachShader(program, fragment);
    es.LinkProgram(program);
    GLint ok = 0;
    es.GetProgramiv(program, kLinkStatus, &ok);
    if (!ok) {
        char log[1024] = {};
        es.GetProgramInfoLog(program, sizeof log, nullptr, log);
        error = std::string("shader program does not link: ") + log;
        return 0;
    }
    return program;
}

}  // namespace

bool BatchRenderer::create(const EsFunctions& es, std::string& error) {
    // Also after the context lost its objects: nothing of the old ones is kept.
    es_ = &es;
    programs_ = {};
    streams_ = {};
    nextStream_ = 0;
    commands_.clear();
    vertexTotal_ = 0;
    indexTotal_ = 0;
    const GLuint vertex = compile(es, kVertexShaderType, kVertexShader, error);
    if (vertex == 0) return false;
    for (int i = 0; i < 4; ++i) {
        const GLuint fragment = compile(es, kFragmentShaderType, kFragmentShaders[i], error);
        if (fragment == 0) return false;
        Program& p = programs_[i];
        p.name = link(es, vertex, fragment, error);
        if (p.name == 0) return false;
        es.UseProgram(p.name);
        if (i > 0) es.Uniform1i(es.GetUniformLocation(p.name, "image"), 0);
        p.pointSizeLocation = es.GetUniformLocation(p.name, "pointSize");
    }
    real_ = RealState{};
    es.UseProgram(programs_[0].name);
    es.ActiveTexture(kTexture0);

    constexpr GLsizei stride = sizeof(LayerVertex);
    for (Stream& stream : streams_) {
        es.GenVertexArrays(1, &stream.vertexArray);
        es.BindVertexArray(stream.vertexArray);
        es.GenBuffers(1, &stream.vertexBuffer);
        es.GenBuffers(1, &stream.indexBuffer);
        es.BindBuffer(kArrayBuffer, stream.vertexBuffer);
        es.BindBuffer(kElementArrayBuffer, stream.indexBuffer);
        es.VertexAttribPointer(0, 4, GL_FLOAT, GL_FALSE, stride,
                               reinterpret_cast<const void*>(offsetof(LayerVertex, position)));
        es.VertexAttribPointer(1, 4, GL_FLOAT, GL_FALSE, stride,
                               reinterpret_cast<const void*>(offsetof(LayerVertex, color)));
        es.VertexAttribPointer(2, 3, GL_FLOAT, GL_FALSE, stride,
                               reinterpret_cast<const void*>(offsetof(LayerVertex, texCoord)));
        es.VertexAttribPointer(3, 4, GL_FLOAT, GL_FALSE, stride,
                               reinterpret_cast<const void*>(offsetof(LayerVertex, backColor)));
        for (GLuint i = 0; i < 4; ++i) es.EnableVertexAttribArray(i);
    }
    // GL 1.x and ES share their initial state: nothing else to set.
    vertices_.resize(std::max<size_t>(vertices_.size(), 1 << 16));
    indices_.resize(std::max<size_t>(indices_.size(), 1 << 17));
    return true;
}

BatchRenderer::Slots BatchRenderer::append(const DrawState& state, int vertexCount,
                                           int indexCount) {
    if (!commands_.empty() && commands_.back().state == state) {
        commands_.back().indexCount += indexCount;
    } else {
        commands_.push_back({state, indexTotal_, indexCount});
    }
    if (vertexTotal_ + vertexCount > vertices_.size())
        vertices_.resize(2 * (vertexTotal_ + vertexCount));
    if (indexTotal_ + indexCount > indices_.size()) indices_.resize(2 * (indexTotal_ + indexCount));
    const Slots slots{vertices_.data() + vertexTotal_, indices_.data() + indexTotal_,
                      static_cast<std::uint32_t>(vertexTotal_)};
    vertexTotal_ += vertexCount;
    indexTotal_ += indexCount;
    return slots;
}

namespace {
// Writes `bytes` into `buffer`, growing its store (to twice the need) only
// when it is too small, so that frames reuse one allocation.
void upload(const EsFunctions& es, GLenum target, GLuint buffer, size_t& capacity, const void* data,
            size_t bytes) {
    es.BindBuffer(target, buffer);
    if (bytes > capacity) {
        capacity = 2 * bytes;
        es.BufferData(target, static_cast<GLsizeiptr>(capacity), nullptr, kStreamDraw);
    }
    es.BufferSubData(target, 0, static_cast<GLsizeiptr>(bytes), data);
}
}  // namespace

void BatchRenderer::flush() {
    if (commands_.empty()) return;
    const EsFunctions& es = *es_;
    // Each flush writes the next of a few buffers, so that it does not wait
    // for the draws of the one before.
    Stream& stream = streams_[nextStream_];
    nextStream_ = (nextStream_ + 1) % streams_.size();
    es.BindVertexArray(stream.vertexArray);
    upload(es, kArrayBuffer, stream.vertexBuffer, stream.vertexCapacity, vertices_.data(),
           vertexTotal_ * sizeof(LayerVertex));
    upload(es, kElementArrayBuffer, stream.indexBuffer, stream.indexCapacity, indices_.data(),
           indexTotal_ * sizeof(std::uint32_t));
    for (const DrawCommand& command : commands_) {
        apply(command.state);
        es.DrawElements(command.state.mode, command.indexCount, GL_UNSIGNED_INT,
                        reinterpret_cast<const void*>(command.firstIndex * sizeof(std::uint32_t)));
        ++draws_;
    }
    commands_.clear();
    vertexTotal_ = 0;
    indexTotal_ = 0;
}

void BatchRenderer::bindTexture(GLuint texture) {
    if (real_.texture == texture) return;
    es_->BindTexture(GL_TEXTURE_2D, texture);
    real_.texture = texture;
}

void BatchRenderer::forgetTextureBinding() {
    real_.texture = kUnknownTexture;
}

void BatchRenderer::setClearValues(const Color4& color, float depth) {
    if (real_.clearColor != color) {
        es_->ClearColor(color[0], color[1], color[2], color[3]);
        real_.clearColor = color;
    }
    if (real_.clearDepth != depth) {
        es_->ClearDepthf(depth);
        real_.clearDepth = depth;
    }
}

void BatchRenderer::apply(const DrawState& s) {
    const EsFunctions& es = *es_;
    auto toggle = [&](bool& current, bool wanted, GLenum cap) {
        if (current == wanted) return;
        (wanted ? es.Enable : es.Disable)(cap);
        current = wanted;
    };
    toggle(real_.blend, s.blend, GL_BLEND);
    if (s.blend &&
        (real_.blendSource != s.blendSource || real_.blendDestination != s.blendDestination)) {
        es.BlendFunc(s.blendSource, s.blendDestination);
        real_.blendSource = s.blendSource;
        real_.blendDestination = s.blendDestination;
    }
    toggle(real_.depthTest, s.depthTest, GL_DEPTH_TEST);
    if (s.depthTest && real_.depthFunc != s.depthFunc) {
        es.DepthFunc(s.depthFunc);
        real_.depthFunc = s.depthFunc;
    }
    toggle(real_.cullFace, s.cullFace, GL_CULL_FACE);
    if (s.cullFace && real_.cullFaceMode != s.cullFaceMode) {
        es.CullFace(s.cullFaceMode);
        real_.cullFaceMode = s.cullFaceMode;
    }
    // The winding also decides which colour a two-sided face shows.
    if (real_.frontFace != s.frontFace) {
        es.FrontFace(s.frontFace);
        real_.frontFace = s.frontFace;
    }
    const int program = s.textured ? (s.dot3 ? 3 : s.projective ? 2 : 1) : 0;
    if (real_.program != program) {
        es.UseProgram(programs_[program].name);
        real_.program = program;
    }
    if (s.textured) bindTexture(s.texture);
    if (real_.viewport != s.viewport) {
        es.Viewport(s.viewport[0], s.viewport[1], s.viewport[2], s.viewport[3]);
        real_.viewport = s.viewport;
    }
    if (s.mode == GL_POINTS && real_.pointSize[program] != s.pointSize) {
        es.Uniform1f(programs_[program].pointSizeLocation, s.pointSize);
        real_.pointSize[program] = s.pointSize;
    }
}

}  // namespace gl_layer
