#include "scene3ds_render/scene_renderer.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "scene/gl_headers.h"
#include "scene/render_state.h"
#include "scene3ds/parallel_meshes.h"
#include "scene3ds_render/bump_maps.h"
#include "scene3ds_render/model_pose.h"
#include "scene3ds_render/texture_files.h"
#include "texturing/texture_slots.h"

namespace {

constexpr double kPi = 3.14159265358979323846;
// GL guarantees eight lights.
constexpr int kMaxLights = 8;
// The global ambient light when the file states none.
constexpr float kAmbient[4] = {0.2f, 0.2f, 0.2f, 1.0f};
// A material no face group names, and the faces of a model without any.
const Material3ds& defaultMaterial() {
    static const Material3ds material = [] {
        Material3ds m;
        for (int c = 0; c < 3; ++c) m.ambient[c] = m.diffuse[c] = 0.6f;
        return m;
    }();
    return material;
}

bool isTransparent(const Material3ds& m) {
    return m.transparency > 0.001f;
}

void setColor(GLenum parameter, const std::array<float, 3>& rgb, float alpha) {
    const GLfloat value[4] = {rgb[0], rgb[1], rgb[2], alpha};
    glMaterialfv(GL_FRONT_AND_BACK, parameter, value);
}

// Makes the texture of `picture` in `slot` with linear, mipmapped filtering
// and repeating coordinates.
void makeTexture(RenderContext& context, int slot, const TexturePicture& picture) {
    GLuint& name = context.textureIds[slot];
    glGenTextures(1, &name);
    bindTextureSlot(context, slot);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_GENERATE_MIPMAP, GL_TRUE);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, picture.width, picture.height, 0, GL_RGBA,
                 GL_UNSIGNED_BYTE, picture.rgba.data());
}

}  // namespace

void SceneRenderer::prepare(const Model3ds& model, SceneExtras extras) {
    model_ = &model;
    // The placement and each mesh's draw list are made from the model alone:
    // side by side on the cores.
    const std::size_t meshCount = model.meshes.size();
    lists_.assign(meshCount, {});
    buffers_.markStale();
    forEachInParallel(meshCount + 1, [&](std::size_t i) {
        if (i == meshCount)
            placement_.build(model, std::move(extras));
        else
            lists_[i] = buildDrawList(model, model.meshes[i]);
    });
    materialExtras_.clear();
    for (const Material3ds& material : model.materials)
        materialExtras_.push_back(placement_.extras().material(material.name));
    edges_.assign(model.meshes.size(), {});
    normalLines_.assign(model.meshes.size(), {});
    tangentLines_.assign(model.meshes.size(), {});
    textureSlots_.assign(model.materials.size(), -1);
    bumpSlots_.assign(model.materials.size(), -1);
    const double radius = placement_.bounds(0).radius();
    lineLength_ = radius > 0 && std::isfinite(radius) ? static_cast<float>(0.06 * radius) : 0.06f;
}

void SceneRenderer::setUp(const Model3ds& model, const std::filesystem::path& folder,
                          RenderContext& context, std::vector<std::string>& warnings,
                          SceneExtras extras) {
    prepare(model, std::move(extras));
    setUpGl(folder, context, warnings);
}

void SceneRenderer::setUpGl(const std::filesystem::path& folder, RenderContext& context,
                            std::vector<std::string>& warnings) {
    const Model3ds& model = *model_;
    context_ = &context;
    GLint maxSize = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
    // One texture per file, shared by the materials that name it.
    std::map<std::string, int> slotOfFile;
    for (std::size_t i = 0; i < model.materials.size(); ++i) {
        const std::string name = model.materials[i].maps[0].fileName;
        if (name.empty()) continue;
        if (auto known = slotOfFile.find(name); known != slotOfFile.end()) {
            textureSlots_[i] = known->second;
            continue;
        }
        int& slot = slotOfFile[name];
        slot = -1;
        const auto path = findTextureFile(folder, name);
        TexturePicture picture;
        std::string error;
        if (!path) {
            warnings.push_back("texture " + name + " not found beside the file");
            continue;
        }
        if (!loadTexturePicture(*path, picture, error)) {
            warnings.push_back("texture " + path->string() + ": " + error);
            continue;
        }
        if (maxSize > 0 && (picture.width > maxSize || picture.height > maxSize)) {
            warnings.push_back("texture " + path->string() + " is larger than this GL's " +
                               std::to_string(maxSize) + " pixels a side");
            continue;
        }
        slot = nextSlot_++;
        makeTexture(context, slot, picture);
        textureSlots_[i] = slot;
    }
    setUpBumpMaps(folder, warnings);
    buffers_.upload(useBufferObjects_ ? platform::glBufferObjects() : platform::GlBufferObjects{},
                    model, lists_);
}

void SceneRenderer::setUpBumpMaps(const std::filesystem::path& folder,
                                  std::vector<std::string>& warnings) {
    const bool any = std::any_of(model_->materials.begin(), model_->materials.end(),
                                 [](const Material3ds& m) { return m.maps[4].fileName[0] != 0; });
    if (!any) return;
    if (!glOffersDot3()) {
        warnings.push_back(
            "bump maps are not drawn: this GL offers no dot-product texture combining");
        return;
    }
    std::map<std::string, int> slotOfFile;
    for (std::size_t i = 0; i < model_->materials.size(); ++i) {
        const TextureMap3ds& map = model_->materials[i].maps[4];
        const std::string name = map.fileName;
        if (name.empty()) continue;
        // The map's strength sets the bumps' height (a map without one: full).
        const float strength = map.strength > 0 && map.strength <= 1 ? map.strength : 1.0f;
        const std::string key = name + "@" + std::to_string(strength);
        if (auto known = slotOfFile.find(key); known != slotOfFile.end()) {
            bumpSlots_[i] = known->second;
            continue;
        }
        int& slot = slotOfFile[key];
        slot = -1;
        const auto path = findTextureFile(folder, name);
        TexturePicture picture;
        std::string error;
        if (!path) {
            warnings.push_back("bump map " + name + " not found beside the file");
            continue;
        }
        if (!loadTexturePicture(*path, picture, error)) {
            warnings.push_back("bump map " + path->string() + ": " + error);
            continue;
        }
        slot = nextSlot_++;
        makeTexture(*context_, slot, normalMapFromHeights(picture, 2.5f * strength));
        bumpSlots_[i] = slot;
    }
}

const MaterialExtras* SceneRenderer::extrasOf(int material) const {
    return material >= 0 && static_cast<std::size_t>(material) < materialExtras_.size()
               ? materialExtras_[static_cast<std::size_t>(material)]
               : nullptr;
}

void SceneRenderer::placeLights(std::uint32_t frame) {
    const bool headlight = model_->lights.empty();
    // The scene's ambient light where the file states it.
    const SceneExtras& extras = placement_.extras();
    const GLfloat fileAmbient[4] = {extras.ambientLight[0], extras.ambientLight[1],
                                    extras.ambientLight[2], 1.0f};
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, extras.hasAmbientLight ? fileAmbient : kAmbient);
    // Both sides of a face are lit: the one facing the viewer with its
    // normal turned towards the viewer.
    glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, GL_TRUE);
    const GLfloat black[4] = {0, 0, 0, 1};
    if (headlight) {
        // A white light from the viewer: placed in eye space.
        glPushMatrix();
        glLoadIdentity();
        const GLfloat position[4] = {0, 0, 1, 0};
        const GLfloat white[4] = {1, 1, 1, 1};
        glLightfv(GL_LIGHT0, GL_POSITION, position);
        glLightfv(GL_LIGHT0, GL_AMBIENT, black);
        glLightfv(GL_LIGHT0, GL_DIFFUSE, white);
        glLightfv(GL_LIGHT0, GL_SPECULAR, white);
        glLightf(GL_LIGHT0, GL_SPOT_CUTOFF, 180.0f);
        glLightf(GL_LIGHT0, GL_CONSTANT_ATTENUATION, 1.0f);
        glLightf(GL_LIGHT0, GL_LINEAR_ATTENUATION, 0.0f);
        glEnable(GL_LIGHT0);
        glPopMatrix();
        return;
    }
    const int count = std::min<int>(kMaxLights, static_cast<int>(model_->lights.size()));
    for (int i = 0; i < count; ++i) {
        const Light3ds light = placement_.light(static_cast<std::size_t>(i), frame);
        const GLenum id = GL_LIGHT0 + i;
        const GLfloat position[4] = {light.position[0], light.position[1], light.position[2], 1};
        const GLfloat color[4] = {light.color[0], light.color[1], light.color[2], 1};
        glLightfv(id, GL_POSITION, position);
        glLightfv(id, GL_AMBIENT, black);
        glLightfv(id, GL_DIFFUSE, color);
        glLightfv(id, GL_SPECULAR, color);
        // Full strength near the light, half at its outer range.
        const float range =
            light.outerRange > 0 && std::isfinite(light.outerRange) ? light.outerRange : 0.0f;
        glLightf(id, GL_CONSTANT_ATTENUATION, 1.0f);
        glLightf(id, GL_LINEAR_ATTENUATION, range > 0 ? 1.0f / range : 0.0f);
        const bool spot = light.falloff > 0 && std::isfinite(light.falloff);
        if (spot) {
            const GLfloat direction[3] = {light.spotTarget[0] - light.position[0],
                                          light.spotTarget[1] - light.position[1],
                                          light.spotTarget[2] - light.position[2]};
            glLightfv(id, GL_SPOT_DIRECTION, direction);
            // The falloff is the cone's full angle; the hotspot, the full
            // angle of its bright core, sets how fast light fades towards
            // the edge: to half strength midway between the two.
            const float cutoff = std::min(90.0f, light.falloff / 2);
            const float hot = std::clamp(light.hotspot / 2, 0.0f, cutoff);
            const double middle = (hot + cutoff) / 2 * kPi / 180.0;
            const double exponent =
                hot >= cutoff ? 0.0
                              : std::clamp(std::log(0.5) / std::log(std::cos(middle)), 0.0, 128.0);
            glLightf(id, GL_SPOT_CUTOFF, cutoff);
            glLightf(id, GL_SPOT_EXPONENT, static_cast<float>(exponent));
        } else {
            glLightf(id, GL_SPOT_CUTOFF, 180.0f);
        }
        glEnable(id);
    }
}

void SceneRenderer::applyMaterial(int index, bool textured, float alpha) {
    const Material3ds& m = index >= 0 ? model_->materials[index] : defaultMaterial();
    const MaterialExtras* extras = extrasOf(index);
    std::array<float, 3> ambient{m.ambient[0], m.ambient[1], m.ambient[2]};
    std::array<float, 3> diffuse{m.diffuse[0], m.diffuse[1], m.diffuse[2]};
    if (textured) {
        // The map replaces the diffuse colour by its strength (a map without
        // a strength chunk counts as full).
        float s = m.maps[0].strength;
        if (!(s > 0.0f) || s > 1.0f) s = 1.0f;
        for (int c = 0; c < 3; ++c) {
            diffuse[c] = diffuse[c] * (1 - s) + s;
            ambient[c] = ambient[c] * (1 - s) + s;
        }
    }
    setColor(GL_AMBIENT, ambient, alpha);
    setColor(GL_DIFFUSE, diffuse, alpha);
    const float shininess = std::isfinite(m.shininess) ? m.shininess : 0.0f;
    // The highlight's colour scaled by its strength; a file without the
    // strength chunk shows it at full strength.
    const float strength = extras ? extras->shininessStrength : 1.0f;
    std::array<float, 3> specular{0, 0, 0};
    if (shininess > 0)
        for (int c = 0; c < 3; ++c) specular[c] = m.specular[c] * strength;
    setColor(GL_SPECULAR, specular, alpha);
    // Self-illumination: the material glows in its own (diffuse) colour by
    // that share, whatever the lights.
    std::array<float, 3> emission{0, 0, 0};
    if (extras && extras->selfIllumination > 0)
        for (int c = 0; c < 3; ++c) emission[c] = diffuse[c] * extras->selfIllumination;
    setColor(GL_EMISSION, emission, alpha);
    glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, std::clamp(shininess * 128.0f, 0.0f, 128.0f));
}

bool SceneRenderer::bindMaterialTexture(int material) {
    const int slot = material >= 0 && context_ != nullptr ? textureSlots_[material] : -1;
    if (slot < 0) {
        glDisable(GL_TEXTURE_2D);
        return false;
    }
    const TextureMap3ds& map = model_->materials[material].maps[0];
    glEnable(GL_TEXTURE_2D);
    bindTextureSlot(*context_, slot);
    // Repeated, mirrored on every other repeat, or drawn once with its edge
    // stretched (no-tile and decal maps).
    const MaterialExtras* extras = extrasOf(material);
    const std::uint16_t tiling = extras ? extras->mapTiling[0] : 0;
    GLint wrap = GL_REPEAT;
    if (tiling & map_tiling::kMirror) wrap = GL_MIRRORED_REPEAT;
    if (tiling & (map_tiling::kNoTile | map_tiling::kDecal)) wrap = GL_CLAMP_TO_EDGE;
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, wrap);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, wrap);
    loadMapMatrix(map);
    return true;
}

void SceneRenderer::loadMapMatrix(const TextureMap3ds& map) {
    // Tiling, offset and rotation (degrees, about the picture's centre).
    glMatrixMode(GL_TEXTURE);
    glLoadIdentity();
    auto finite = [](float v, float otherwise) { return std::isfinite(v) ? v : otherwise; };
    glTranslatef(0.5f + finite(map.uOffset, 0), 0.5f + finite(map.vOffset, 0), 0);
    glRotatef(finite(map.rotation, 0), 0, 0, 1);
    glScalef(finite(map.uScale, 1), finite(map.vScale, 1), 1);
    glTranslatef(-0.5f, -0.5f, 0);
    glMatrixMode(GL_MODELVIEW);
}

void SceneRenderer::drawBumps(std::uint32_t frame, const std::array<float, 4>& light) {
    if (std::all_of(bumpSlots_.begin(), bumpSlots_.end(), [](int s) { return s < 0; })) return;
    glDisable(GL_LIGHTING);
    glEnable(GL_TEXTURE_2D);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_COMBINE);
    glTexEnvi(GL_TEXTURE_ENV, GL_COMBINE_RGB, GL_DOT3_RGB);
    glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE0_RGB, GL_TEXTURE);
    glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE1_RGB, GL_PRIMARY_COLOR);
    // Twice the product of the picture and the pass: a flat bump (one
    // half) leaves the lit face as it is.
    glEnable(GL_BLEND);
    glBlendFunc(GL_DST_COLOR, GL_SRC_COLOR);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);
    for (const MeshInstance& instance : placement_.instances()) {
        if (!placement_.visible(instance, frame)) continue;
        const std::size_t index = placement_.meshAt(instance, frame);
        const Mesh3ds& mesh = model_->meshes[index];
        const MeshDrawList& list = lists_[index];
        bool colored = false;
        const Matrix4f m = placement_.transform(instance, frame);
        for (const MaterialBatch& batch : list.smooth) {
            if (batch.material < 0 || bumpSlots_[batch.material] < 0) continue;
            const Material3ds& material = model_->materials[batch.material];
            if (isTransparent(material) || materialIsWire(*model_, batch.material)) continue;
            if (!colored) {
                // The light in the mesh's own coordinates.
                const Matrix4f toMesh = inverseAffine(m);
                std::array<float, 4> local{0, 0, 0, light[3]};
                if (light[3] != 0) {
                    const auto p = transformPoint(toMesh, {light[0], light[1], light[2]});
                    local = {p[0], p[1], p[2], 1};
                } else {
                    for (int r = 0; r < 3; ++r)
                        local[r] = toMesh[r] * light[0] + toMesh[4 + r] * light[1] +
                                   toMesh[8 + r] * light[2];
                }
                bumpLightColors(mesh, local, bumpColors_);
                colored = true;
            }
            bindTextureSlot(*context_, bumpSlots_[batch.material]);
            loadMapMatrix(material.maps[4]);
            glPushMatrix();
            glMultMatrixf(m.data());
            glVertexPointer(3, GL_FLOAT, 0, mesh.positions.data());
            glTexCoordPointer(2, GL_FLOAT, 0, mesh.uv.data());
            glColorPointer(3, GL_UNSIGNED_BYTE, 0, bumpColors_.data());
            glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(batch.indices.size()),
                           GL_UNSIGNED_SHORT, batch.indices.data());
            glPopMatrix();
        }
    }
    glDisableClientState(GL_COLOR_ARRAY);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glDisable(GL_BLEND);
    glDisable(GL_TEXTURE_2D);
    glEnable(GL_LIGHTING);
}

void SceneRenderer::drawLines(const LineList& lines) {
    if (lines.points.empty()) return;
    glEnableClientState(GL_COLOR_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, lines.points.data());
    glColorPointer(3, GL_FLOAT, 0, lines.colors.data());
    glDrawArrays(GL_LINES, 0, static_cast<GLsizei>(lines.points.size()));
    glDisableClientState(GL_COLOR_ARRAY);
}

void SceneRenderer::drawMesh(std::size_t index, bool transparentPass, const DrawOptions& options) {
    const Mesh3ds& mesh = model_->meshes[index];
    const MeshDrawList& list = lists_[index];
    auto materialOf = [&](int m) -> const Material3ds& {
        return m >= 0 ? model_->materials[m] : defaultMaterial();
    };
    auto inPass = [&](int m) { return isTransparent(materialOf(m)) == transparentPass; };

    if (options.wire && edges_[index].empty()) edges_[index] = meshEdges(mesh);

    // The edges in the colour of the mesh's first material, unlit, once.
    if (options.wire && transparentPass) return;
    // Every way out below lets the buffers go again, so what is drawn next
    // from memory is not read from a buffer.
    buffers_.pointAtVertices(index, mesh);
    if (options.wire) {
        const int m = list.smooth.empty() ? (list.flat.empty() ? -1 : list.flat[0].material)
                                          : list.smooth[0].material;
        const auto& d = materialOf(m).diffuse;
        glDisable(GL_LIGHTING);
        glDisable(GL_TEXTURE_2D);
        glColor4f(0.5f + d[0] / 2, 0.5f + d[1] / 2, 0.5f + d[2] / 2, 1.0f);
        glDrawElements(GL_LINES, static_cast<GLsizei>(edges_[index].size()), GL_UNSIGNED_SHORT,
                       edges_[index].data());
        glEnable(GL_LIGHTING);
        buffers_.unbind();
        return;
    }
    for (std::size_t b = 0; b < list.smooth.size(); ++b) {
        const MaterialBatch& batch = list.smooth[b];
        if (!inPass(batch.material)) continue;
        const Material3ds& material = materialOf(batch.material);
        const float alpha = 1.0f - std::clamp(material.transparency, 0.0f, 1.0f);
        if (materialIsWire(*model_, batch.material)) {
            const MaterialExtras* extras = extrasOf(batch.material);
            glLineWidth(extras ? extras->wireSize : 1.0f);
            glDisable(GL_LIGHTING);
            glDisable(GL_TEXTURE_2D);
            glColor4f(material.diffuse[0], material.diffuse[1], material.diffuse[2], alpha);
            buffers_.unbindIndices();
            // A wire material's faces show as their edges: those of its own
            // triangles.
            std::vector<std::uint16_t> lines;
            lines.reserve(batch.indices.size() * 2);
            for (std::size_t t = 0; t + 2 < batch.indices.size(); t += 3)
                for (int e = 0; e < 3; ++e) {
                    lines.push_back(batch.indices[t + e]);
                    lines.push_back(batch.indices[t + (e + 1) % 3]);
                }
            glDrawElements(GL_LINES, static_cast<GLsizei>(lines.size()), GL_UNSIGNED_SHORT,
                           lines.data());
            glLineWidth(1.0f);
            glEnable(GL_LIGHTING);
            continue;
        }
        const bool textured = bindMaterialTexture(batch.material);
        if (textured) glEnableClientState(GL_TEXTURE_COORD_ARRAY);
        applyMaterial(batch.material, textured, alpha);
        glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(batch.indices.size()), GL_UNSIGNED_SHORT,
                       buffers_.batchIndices(index, b, batch));
        if (textured) glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    }
    if (!list.flat.empty()) {
        buffers_.pointAtFlatVertices(index, list);
        for (const FlatRun& run : list.flat) {
            if (!inPass(run.material)) continue;
            const float alpha =
                1.0f - std::clamp(materialOf(run.material).transparency, 0.0f, 1.0f);
            const bool textured = bindMaterialTexture(run.material);
            if (textured) glEnableClientState(GL_TEXTURE_COORD_ARRAY);
            applyMaterial(run.material, textured, alpha);
            glDrawArrays(GL_TRIANGLES, static_cast<GLint>(run.first),
                         static_cast<GLsizei>(run.count));
            if (textured) glDisableClientState(GL_TEXTURE_COORD_ARRAY);
        }
    }
    glDisable(GL_TEXTURE_2D);
    buffers_.unbind();
}

void SceneRenderer::draw(std::uint32_t frame, const ViewSetup& view, int width, int height,
                         const DrawOptions& options) {
    glViewport(0, 0, width, height);
    glClearColor(options.background[0], options.background[1], options.background[2], 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    if (model_ == nullptr) return;

    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    if (view.orthographic)
        glOrtho(view.left, view.right, view.bottom, view.top, view.zNear, view.zFar);
    else
        gluPerspective(view.fieldOfViewY, view.aspect, view.zNear, view.zFar);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    if (context_ != nullptr) {
        context_->setCamera(view.eye[0], view.eye[1], view.eye[2], view.centre[0], view.centre[1],
                            view.centre[2], view.up[0], view.up[1], view.up[2]);
        context_->applyCamera();
    } else {
        gluLookAt(view.eye[0], view.eye[1], view.eye[2], view.centre[0], view.centre[1],
                  view.centre[2], view.up[0], view.up[1], view.up[2]);
    }

    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glDisable(GL_CULL_FACE);
    glEnable(GL_NORMALIZE);
    glShadeModel(GL_SMOOTH);
    glEnable(GL_LIGHTING);
    placeLights(frame);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_NORMAL_ARRAY);
    // Opaque faces first, their bumps over them, then the transparent faces
    // blended over both.
    for (int pass = 0; pass < 2; ++pass) {
        if (pass == 1) {
            if (context_ != nullptr) {
                std::array<float, 4> light{0, 0, 0, 0};
                if (!model_->lights.empty()) {
                    const Light3ds first = placement_.light(0, frame);
                    light = {first.position[0], first.position[1], first.position[2], 1};
                } else {
                    // The headlight: from the viewer.
                    for (int c = 0; c < 3; ++c)
                        light[c] = static_cast<float>(view.eye[c] - view.centre[c]);
                }
                drawBumps(frame, light);
            }
            glEnable(GL_BLEND);
            glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        }
        for (const MeshInstance& instance : placement_.instances()) {
            if (!placement_.visible(instance, frame)) continue;
            const Matrix4f m = placement_.transform(instance, frame);
            glPushMatrix();
            glMultMatrixf(m.data());
            drawMesh(placement_.meshAt(instance, frame), pass == 1, options);
            glPopMatrix();
        }
    }
    glDisable(GL_BLEND);
    glDisableClientState(GL_NORMAL_ARRAY);

    if (options.normals || options.tangentFrames) {
        // Over the faces, never hidden by them.
        glDisable(GL_DEPTH_TEST);
        glDisable(GL_LIGHTING);
        glDisable(GL_TEXTURE_2D);
        for (const MeshInstance& instance : placement_.instances()) {
            if (!placement_.visible(instance, frame)) continue;
            const std::size_t i = placement_.meshAt(instance, frame);
            const Mesh3ds& mesh = model_->meshes[i];
            if (options.normals && normalLines_[i].points.empty())
                normalLines_[i] = normalLines(mesh, lineLength_);
            if (options.tangentFrames && tangentLines_[i].points.empty())
                tangentLines_[i] = tangentFrameLines(mesh, lineLength_);
            const Matrix4f m = placement_.transform(instance, frame);
            glPushMatrix();
            glMultMatrixf(m.data());
            if (options.normals) drawLines(normalLines_[i]);
            if (options.tangentFrames) drawLines(tangentLines_[i]);
            glPopMatrix();
        }
    }
    glDisableClientState(GL_VERTEX_ARRAY);
    glMatrixMode(GL_TEXTURE);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    for (int i = 0; i < kMaxLights; ++i) glDisable(GL_LIGHT0 + i);
    glDisable(GL_NORMALIZE);
    glDisable(GL_DEPTH_TEST);
    resetRenderState();
}
