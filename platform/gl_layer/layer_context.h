#pragma once
// The one layer instance: the real GL's function table, the GL 1.x state,
// the matrix and attribute stacks, the batch renderer and the textures.
// Created on the first GL call, with the context current.
#include <string>
#include <vector>

#include "platform/gl_layer/batch_renderer.h"
#include "platform/gl_layer/es_functions.h"
#include "platform/gl_layer/fixed_state.h"
#include "platform/gl_layer/framing.h"
#include "platform/gl_layer/matrix_math.h"
#include "platform/gl_layer/primitive_assembly.h"
#include "platform/gl_layer/texture_store.h"
#include "platform/gl_layer/vertex_pipeline.h"

namespace gl_layer {

struct MatrixStack {
    explicit MatrixStack(size_t maxDepth) : maxDepth(maxDepth), entries{identityMatrix()} {}
    size_t maxDepth;
    std::vector<Mat4> entries;
    Mat4& top() { return entries.back(); }
};

struct LayerContext {
    EsFunctions es;
    FixedState state;
    std::vector<std::pair<GLbitfield, FixedState>> attribStack;
    MatrixStack modelview{32};
    MatrixStack projection{32};
    MatrixStack texture{10};
    VertexTransforms transforms;
    bool transformsStale = true;
    BatchRenderer renderer;
    PrimitiveAssembler assembler;
    ClientArrays arrays;
    TextureStore textures;
    // The program's pixel-store values. The real GL keeps the program's pack
    // values (glReadPixels reads with them) and unpacks tight rows always:
    // images are handed over as the tight copies the texture store keeps.
    PixelStore pack;
    PixelStore unpack;
    GLuint nextDisplayList = 1;
    long begins = 0;
    std::string vendor;
    std::string rendererName;
    std::string version;

    MatrixStack& currentStack();
    // The matrix products, formed again after a matrix changed.
    const VertexTransforms& vertexTransforms();
    // The draw state the next primitive is drawn with.
    DrawState drawState() const;
    // The texture record of a program name, made on first use.
    TextureRecord& textureRecord(GLuint name);
};

// The layer, created on first use; a failure to start it (no GL ES 3.0
// functions, a shader that does not build) ends the process with a message.
LayerContext& layer();

// How the window's picture lies in the drawing buffer (gl_layer::setFraming).
const Framing& framing();

// Says once per distinct call and value that the layer ignores it.
void reportUnsupported(const char* call, unsigned value);

}  // namespace gl_layer
