#pragma once
// Collects the frame's processed vertices in one array and the draws over
// it, merging consecutive primitives that share a draw state into one
// draw; on flush uploads the array once and replays the draws on the real
// GL, setting only the state that differs from what is already set.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/gl_layer/es_functions.h"
#include "platform/gl_layer/vertex_pipeline.h"

namespace gl_layer {

// What a draw needs of the GL state besides its vertices.
struct DrawState {
    GLenum mode = GL_TRIANGLES;  // GL_TRIANGLES, GL_LINES or GL_POINTS
    bool blend = false;
    GLenum blendSource = GL_ONE;
    GLenum blendDestination = GL_ZERO;
    bool depthTest = false;
    GLenum depthFunc = GL_LESS;
    bool textured = false;
    bool projective = false;  // the texture matrix may change q
    bool dot3 = false;        // GL_COMBINE's GL_DOT3_RGB of the texture and the colour
    GLuint texture = 0;
    bool cullFace = false;  // triangles of polygons only
    GLenum cullFaceMode = GL_BACK;
    GLenum frontFace = GL_CCW;
    std::array<int, 4> viewport{0, 0, 0, 0};
    float pointSize = 1;  // points only
    bool operator==(const DrawState&) const = default;
};

class BatchRenderer {
  public:
    // Creates the shader programs, vertex arrays and buffers on the current
    // context, forgetting any made before and what was held back; false
    // with the reason in `error`.
    bool create(const EsFunctions& es, std::string& error);

    // Room for `vertexCount` vertices and `indexCount` indices drawn with
    // `state`, after those already held; indices count from `base`.
    struct Slots {
        LayerVertex* vertices;
        std::uint32_t* indices;
        std::uint32_t base;
    };
    Slots append(const DrawState& state, int vertexCount, int indexCount);
    // Uploads and draws everything held, then forgets it.
    void flush();

    // The real GL's 2D texture binding, for calls that act on the bound
    // texture (parameters, images).
    void bindTexture(GLuint texture);
    // The real GL's texture binding was changed behind the renderer's back.
    void forgetTextureBinding();
    void setClearValues(const Color4& color, float depth);

    long draws() const { return draws_; }

  private:
    struct DrawCommand {
        DrawState state;
        size_t firstIndex;
        int indexCount;
    };
    // A vertex array with its own vertex and index buffers.
    struct Stream {
        GLuint vertexArray = 0;
        GLuint vertexBuffer = 0;
        GLuint indexBuffer = 0;
        size_t vertexCapacity = 0;
        size_t indexCapacity = 0;
    };
    // The real GL state as last set, to skip what is already so.
    struct RealState {
        bool blend = false;
        GLenum blendSource = GL_ONE;
        GLenum blendDestination = GL_ZERO;
        bool depthTest = false;
        GLenum depthFunc = GL_LESS;
        int program = 0;
        GLuint texture = 0;
        bool cullFace = false;
        GLenum cullFaceMode = GL_BACK;
        GLenum frontFace = GL_CCW;
        std::array<int, 4> viewport{-1, -1, -1, -1};
        std::array<float, 4> pointSize{-1, -1, -1, -1};  // per program
        Color4 clearColor{0, 0, 0, 0};
        float clearDepth = 1;
    };
    void apply(const DrawState& state);
    static constexpr GLuint kUnknownTexture = ~GLuint{0};

    const EsFunctions* es_ = nullptr;
    struct Program {
        GLuint name = 0;
        GLint pointSizeLocation = -1;
    };
    // Colour only, modulate, projective modulate.
    std::array<Program, 4> programs_;
    std::array<Stream, 3> streams_;
    size_t nextStream_ = 0;
    // Storage only grows; the totals say how much of it the frame holds.
    std::vector<LayerVertex> vertices_;
    std::vector<std::uint32_t> indices_;
    size_t vertexTotal_ = 0;
    size_t indexTotal_ = 0;
    std::vector<DrawCommand> commands_;
    RealState real_;
    long draws_ = 0;
};

}  // namespace gl_layer
