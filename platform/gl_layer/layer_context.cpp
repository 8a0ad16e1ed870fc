#include "platform/gl_layer/layer_context.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <set>
#include <utility>

#include "platform/gl_layer/gl_layer.h"

namespace gl_layer {

namespace {

std::unique_ptr<LayerContext> theLayer;
Framing theFraming;  // set apart from the layer: a platform may frame before it starts

// The real GL's own strings, for the layer's to build on.
std::string realString(const EsFunctions& es, GLenum name) {
    const GLubyte* text = es.GetString(name);
    return text != nullptr ? reinterpret_cast<const char*>(text) : "";
}

// The loader must never hand back the layer's own entry points.
bool loadsLayerNames(const EsFunctions& es) {
    return reinterpret_cast<void*>(es.Enable) == reinterpret_cast<void*>(&glEnable) ||
           reinterpret_cast<void*>(es.Clear) == reinterpret_cast<void*>(&glClear) ||
           reinterpret_cast<void*>(es.BindTexture) == reinterpret_cast<void*>(&glBindTexture) ||
           reinterpret_cast<void*>(es.TexImage2D) == reinterpret_cast<void*>(&glTexImage2D);
}

[[noreturn]] void failToStart(const std::string& why) {
    std::fprintf(stderr, "gl_layer: cannot start: %s\n", why.c_str());
    std::exit(1);
}

std::unique_ptr<LayerContext> startLayer() {
    auto context = std::make_unique<LayerContext>();
    std::string error;
    if (!loadEsFunctions(context->es, error)) failToStart(error + " is missing");
    if (loadsLayerNames(context->es))
        failToStart("the GL loader returned the layer's own functions");
    if (!context->renderer.create(context->es, error)) failToStart(error);
    context->vendor = realString(context->es, GL_VENDOR);
    context->rendererName = realString(context->es, GL_RENDERER);
    context->version =
        "1.4 (fixed-function layer over " + realString(context->es, GL_VERSION) + ")";
    context->es.PixelStorei(GL_UNPACK_ALIGNMENT, 1);
    // GL's initial viewport is the window's size: the framed window's, or
    // the drawable's, which the real GL knows.
    GLint viewport[4] = {0, 0, theFraming.windowWidth, theFraming.windowHeight};
    if (theFraming.windowWidth == 0) context->es.GetIntegerv(GL_VIEWPORT, viewport);
    context->state.viewport = {viewport[0], viewport[1], viewport[2], viewport[3]};
    return context;
}

void setPixelStore(const EsFunctions& es, const PixelStore& store, GLenum alignment,
                   GLenum rowLength, GLenum skipRows, GLenum skipPixels) {
    es.PixelStorei(alignment, store.alignment);
    es.PixelStorei(rowLength, store.rowLength);
    es.PixelStorei(skipRows, store.skipRows);
    es.PixelStorei(skipPixels, store.skipPixels);
}

}  // namespace

LayerContext& layer() {
    if (!theLayer) theLayer = startLayer();
    return *theLayer;
}

void restart() {
    theLayer.reset();
    theFraming = Framing{};
}

void rebuild() {
    if (!theLayer) return;  // nothing made yet: the next call starts afresh
    LayerContext& l = *theLayer;
    // The functions too: a new context may come with the GL library loaded anew.
    std::string error;
    if (!loadEsFunctions(l.es, error)) failToStart(error + " is missing");
    if (!l.renderer.create(l.es, error)) failToStart(error);
    setPixelStore(l.es, l.pack, GL_PACK_ALIGNMENT, GL_PACK_ROW_LENGTH, GL_PACK_SKIP_ROWS,
                  GL_PACK_SKIP_PIXELS);
    setPixelStore(l.es, PixelStore{1, 0, 0, 0}, GL_UNPACK_ALIGNMENT, GL_UNPACK_ROW_LENGTH,
                  GL_UNPACK_SKIP_ROWS, GL_UNPACK_SKIP_PIXELS);
    for (auto& [name, record] : l.textures.records) remakeTexture(l.es, name, record);
    l.renderer.forgetTextureBinding();
}

void setFraming(int windowWidth, int windowHeight, int bufferWidth, int bufferHeight) {
    if (theLayer) theLayer->renderer.flush();
    theFraming = frameWindow(windowWidth, windowHeight, bufferWidth, bufferHeight);
    if (theFraming.width == windowWidth && theFraming.height == windowHeight && theFraming.x == 0 &&
        theFraming.y == 0)
        theFraming = Framing{};
}

const Framing& framing() {
    return theFraming;
}

Counts counts() {
    if (!theLayer) return {};
    return {theLayer->begins, theLayer->renderer.draws()};
}

void reportUnsupported(const char* call, unsigned value) {
    static std::set<std::pair<std::string, unsigned>> reported;
    if (!reported.insert({call, value}).second) return;
    std::fprintf(stderr, "gl_layer: %s(0x%04X) is not supported and has no effect\n", call, value);
}

MatrixStack& LayerContext::currentStack() {
    switch (state.matrixMode) {
        case GL_PROJECTION:
            return projection;
        case GL_TEXTURE:
            return texture;
        default:
            return modelview;
    }
}

const VertexTransforms& LayerContext::vertexTransforms() {
    if (transformsStale) {
        transforms = makeVertexTransforms(modelview.top(), projection.top(), texture.top());
        transformsStale = false;
    }
    return transforms;
}

DrawState LayerContext::drawState() const {
    DrawState d;
    d.blend = state.blend;
    if (d.blend) {
        d.blendSource = state.blendSource;
        d.blendDestination = state.blendDestination;
    }
    d.depthTest = state.depthTest;
    if (d.depthTest) d.depthFunc = state.depthFunc;
    d.textured = state.texture2d;
    if (d.textured) {
        const auto found = textures.records.find(state.boundTexture);
        d.texture = found != textures.records.end() ? found->second.real : 0;
        const Mat4& t = texture.entries.back();
        d.projective = t[3] != 0 || t[7] != 0 || t[11] != 0 || t[15] != 1;
        d.dot3 = state.texEnvMode == GL_COMBINE && state.combineRgb == GL_DOT3_RGB;
    }
    d.cullFace = state.cullFace;
    if (d.cullFace) {
        d.cullFaceMode = state.cullFaceMode;
        d.frontFace = state.frontFace;
    }
    d.viewport = framedViewport(theFraming, state.viewport);
    // Non-antialiased points are drawn at the nearest whole size.
    d.pointSize =
        std::max(1.0f, std::round(static_cast<float>(state.pointSize * theFraming.scale)));
    return d;
}

TextureRecord& LayerContext::textureRecord(GLuint name) {
    auto [found, added] = textures.records.try_emplace(name);
    if (added && name != 0) es.GenTextures(1, &found->second.real);
    return found->second;
}

}  // namespace gl_layer
