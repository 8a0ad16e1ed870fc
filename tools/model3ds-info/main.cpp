// model3ds-info FILE.3ds: loads a 3DS file with the program's own loader and
// prints what it holds as JSON. Exit 0 when loaded, 1 when not (with a
// one-line reason on standard error).
#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <limits>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>

#include "scene3ds/model3ds_loader.h"

using json = nlohmann::ordered_json;

namespace {

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
                        {"fileName", t.fileName},
                        {"strength", num(t.strength)},
                        {"uScale", num(t.uScale)},
                        {"vScale", num(t.vScale)},
                        {"uOffset", num(t.uOffset)},
                        {"vOffset", num(t.vOffset)},
                        {"rotation", num(t.rotation)}});
    }
    return {{"name", m.name},
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
        groups.push_back({{"index", index}, {"name", known ? materials[index].name : ""}});
    }
    return {{"name", mesh.name},
            {"vertices", mesh.positions.size()},  // after the build's smoothing split
            {"faces", mesh.faces.size()},
            {"boundingBox", box},
            {"groupMaterials", groups},
            {"hasNode", hasNode}};
}

json nodeJson(const Node3ds& node, const Mesh3ds* mesh) {
    return {{"mesh", mesh ? json(mesh->name) : json(nullptr)},
            {"rotationFrames", node.rotationFrames.size()},
            {"positionFrames", node.positionFrames.size()},
            {"pivot", rgb(node.pivot)},
            {"baseRotation",
             {num(node.baseRotation[0]), num(node.baseRotation[1]), num(node.baseRotation[2]),
              num(node.baseRotation[3])}}};
}

json lightJson(const Light3ds& l) {
    return {{"name", l.name},
            {"position", rgb(l.position)},
            {"color", rgb(l.color)},
            {"spotTarget", rgb(l.spotTarget)},
            {"hotspot", num(l.hotspot)},
            {"falloff", num(l.falloff)},
            {"innerRange", num(l.innerRange)},
            {"outerRange", num(l.outerRange)}};
}

json cameraJson(const Camera3ds& c) {
    return {{"name", c.name},
            {"position", rgb(c.position)},
            {"target", rgb(c.target)},
            {"roll", num(c.roll)},
            {"fieldOfView", num(c.fieldOfView)},
            {"nearRange", num(c.nearRange)},
            {"farRange", num(c.farRange)}};
}

// The loader only says false; look at the file to say why.
std::string failureReason(const char* path) {
    std::FILE* file = std::fopen(path, "rb");
    if (!file) return std::string("cannot open ") + path + ": " + std::strerror(errno);
    unsigned char head[2] = {0, 0};
    std::size_t got = std::fread(head, 1, 2, file);
    std::fseek(file, 0, SEEK_END);
    long size = std::ftell(file);
    std::fclose(file);
    if (size <= 0) return std::string(path) + " is empty or cannot be read";
    if (static_cast<unsigned long>(size) > std::numeric_limits<std::uint32_t>::max())
        return std::string(path) + " is larger than 4 GiB";
    if (got < 2 || (head[0] | (head[1] << 8)) != 0x4D4D)
        return std::string(path) + " is not a 3DS file (no main chunk 0x4D4D at its start)";
    return std::string(path) + " holds no editor data chunk (0x3D3D)";
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: model3ds-info FILE.3ds\n";
        return 1;
    }
    // Heap, not stack: the loader is small, but the model may not be.
    auto loader = std::make_unique<Model3dsLoader>();
    if (!loader->load(argv[1])) {
        std::cerr << "model3ds-info: " << failureReason(argv[1]) << "\n";
        return 1;
    }
    json out;
    out["file"] = argv[1];
    out["materials"] = json::array();
    for (const Material3ds& m : loader->materials) out["materials"].push_back(materialJson(m));
    out["meshes"] = json::array();
    // Node i animates mesh i.
    for (std::size_t i = 0; i < loader->meshes.size(); ++i)
        out["meshes"].push_back(
            meshJson(loader->meshes[i], loader->materials, i < loader->nodes.size()));
    out["lights"] = json::array();
    for (const Light3ds& l : loader->lights) out["lights"].push_back(lightJson(l));
    out["cameras"] = json::array();
    for (const Camera3ds& c : loader->cameras) out["cameras"].push_back(cameraJson(c));
    out["frameCount"] = loader->frameCount;
    out["nodeCount"] = loader->nodes.size();
    out["nodes"] = json::array();
    for (std::size_t i = 0; i < loader->nodes.size(); ++i) {
        const Mesh3ds* mesh = i < loader->meshes.size() ? &loader->meshes[i] : nullptr;
        out["nodes"].push_back(nodeJson(loader->nodes[i], mesh));
    }
    std::cout << out.dump(2) << "\n";
    return 0;
}
