#include "tools/model3ds-info/model_json.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

#include "scene3ds/model3ds.h"
#include "tools/model3ds-info/name_text.h"

using json = nlohmann::ordered_json;

namespace {

std::string name(std::string_view bytes) {
    return utf8FromFileBytes(bytes);
}
// A map's file name: a zero-terminated field.
std::string name(const char (&field)[sizeof(TextureMap3ds::fileName)]) {
    return utf8FromFileBytes(std::string_view(field, ::strnlen(field, sizeof field)));
}

// A float printed with the fewest digits that read back to the same float
// (0.6, not 0.6000000238418579); NaN and infinities become null.
json num(float value) {
    if (!std::isfinite(value)) return nullptr;
    value += 0.0f;  // -0 prints as 0
    char text[32];
    auto [end, error] = std::to_chars(text, text + sizeof text - 1, value);
    if (error != std::errc()) return static_cast<double>(value);
    *end = '\0';
    return std::strtod(text, nullptr);
}

json rgb(const float c[3]) {
    return json::array({num(c[0]), num(c[1]), num(c[2])});
}

const char* shadingName(int shading) {
    static const char* const names[] = {"wireframe", "flat", "gouraud", "phong", "metal"};
    return shading >= 0 && shading <= 4 ? names[shading] : "unknown";
}

json materialJson(const Material3ds& m) {
    static const char* const slots[] = {"texture1",   "texture2", "opacity",
                                        "reflection", "bump",     "specular"};
    json maps = json::array();
    for (int i = 0; i < kMapSlotCount; ++i) {
        const TextureMap3ds& t = m.maps[i];
        if (t.fileName[0] == '\0' && t.strength == 0.0f) continue;  // slot not used
        maps.push_back({{"slot", slots[i]},
                        {"fileName", name(t.fileName)},
                        {"strength", num(t.strength)},
                        {"uScale", num(t.uScale)},
                        {"vScale", num(t.vScale)},
                        {"uOffset", num(t.uOffset)},
                        {"vOffset", num(t.vOffset)},
                        {"rotation", num(t.rotation)}});
    }
    return {{"name", name(m.name)},
            {"index", m.index},
            {"ambient", rgb(m.ambient)},
            {"diffuse", rgb(m.diffuse)},
            {"specular", rgb(m.specular)},
            {"shininess", num(m.shininess)},
            {"transparency", num(m.transparency)},
            {"shading", m.shading},
            {"shadingName", shadingName(m.shading)},
            {"maps", maps}};
}

json meshJson(const Mesh3ds& mesh, const std::vector<Material3ds>& materials, bool hasNode) {
    json box = nullptr;
    if (!mesh.positions.empty()) {
        Vec3f low = mesh.positions[0], high = mesh.positions[0];
        for (const Vec3f& p : mesh.positions) {
            for (int i = 0; i < 3; ++i) {
                low[i] = std::min(low[i], p[i]);
                high[i] = std::max(high[i], p[i]);
            }
        }
        box = {{"min", rgb(low.data())}, {"max", rgb(high.data())}};
    }
    json groups = json::array();
    for (std::int32_t index : mesh.groupMaterials) {
        const bool known = index >= 0 && static_cast<std::size_t>(index) < materials.size();
        groups.push_back({{"index", index}, {"name", known ? name(materials[index].name) : ""}});
    }
    return {{"name", name(mesh.name)},
            {"vertices", mesh.positions.size()},  // after the build's smoothing split
            {"faces", mesh.faces.size()},
            {"boundingBox", box},
            {"groupMaterials", groups},
            {"hasNode", hasNode}};
}

json nodeJson(const Node3ds& node, const Mesh3ds* mesh) {
    return {{"mesh", mesh ? json(name(mesh->name)) : json(nullptr)},
            {"rotationFrames", node.rotationFrames.size()},
            {"positionFrames", node.positionFrames.size()},
            {"pivot", rgb(node.pivot)},
            {"baseRotation",
             {num(node.baseRotation[0]), num(node.baseRotation[1]), num(node.baseRotation[2]),
              num(node.baseRotation[3])}}};
}

json lightJson(const Light3ds& l) {
    return {{"name", name(l.name)},
            {"position", rgb(l.position)},
            {"color", rgb(l.color)},
            {"spotTarget", rgb(l.spotTarget)},
            {"hotspot", num(l.hotspot)},
            {"falloff", num(l.falloff)},
            {"innerRange", num(l.innerRange)},
            {"outerRange", num(l.outerRange)}};
}

json cameraJson(const Camera3ds& c) {
    return {{"name", name(c.name)},
            {"position", rgb(c.position)},
            {"target", rgb(c.target)},
            {"roll", num(c.roll)},
            {"fieldOfView", num(c.fieldOfView)},
            {"nearRange", num(c.nearRange)},
            {"farRange", num(c.farRange)}};
}

}  // namespace

json describeModel(const Model3ds& model, std::string_view file) {
    json out;
    out["file"] = name(file);
    out["materials"] = json::array();
    for (const Material3ds& m : model.materials) out["materials"].push_back(materialJson(m));
    out["meshes"] = json::array();
    // Node i animates mesh i.
    for (std::size_t i = 0; i < model.meshes.size(); ++i)
        out["meshes"].push_back(meshJson(model.meshes[i], model.materials, i < model.nodes.size()));
    out["lights"] = json::array();
    for (const Light3ds& l : model.lights) out["lights"].push_back(lightJson(l));
    out["cameras"] = json::array();
    for (const Camera3ds& c : model.cameras) out["cameras"].push_back(cameraJson(c));
    out["frameCount"] = model.frameCount;
    out["nodeCount"] = model.nodes.size();
    out["nodes"] = json::array();
    for (std::size_t i = 0; i < model.nodes.size(); ++i) {
        const Mesh3ds* mesh = i < model.meshes.size() ? &model.meshes[i] : nullptr;
        out["nodes"].push_back(nodeJson(model.nodes[i], mesh));
    }
    return out;
}
