// Writes a small 3DS scene that is both animated and textured, with a bump
// map, for comparing other builds' pictures of it with the desktop's (no
// real file here is both animated and textured). A cube turns once round
// and rises and falls in 60 frames, wearing a real photograph the file
// names by its 8.3 short name; it stands over a floor whose bump map the
// file names in capitals; one omni light, one camera.
// Usage: make_view_scene OUT_FOLDER PICTURE.jpg
// writes OUT_FOLDER/turning.3ds, brickwall.jpg (PICTURE) and ridges.png.
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "tests/scene3ds/chunk_writer.h"
#include "tests/support/png_writer.h"

namespace fs = std::filesystem;
using namespace test3ds;

namespace {

constexpr float kThirdOfATurn = 2.0943951f;

Chunk colours(float ambient, std::array<float, 3> diffuse) {
    Chunk material(0xAFFF);
    material.add(Chunk(0xA010).add(colorFloat(ambient, ambient, ambient)));
    material.add(Chunk(0xA020).add(colorFloat(diffuse[0], diffuse[1], diffuse[2])));
    material.add(Chunk(0xA030).add(colorFloat(0.4f, 0.4f, 0.4f)));
    material.add(Chunk(0xA040).add(percentInt(30)));
    return material;
}

Chunk identityMatrix() {
    return Chunk(0x4160).floats({1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0});
}

// A cube of side 2 about the origin, each side the whole picture, each
// side flat (a smoothing group of its own).
Chunk cube() {
    std::vector<std::array<float, 3>> points;
    std::vector<std::array<float, 2>> uv;
    std::vector<MeshFace> faces;
    std::vector<std::uint32_t> groups;
    // Each side: its normal's axis and sign, and two axes across it.
    for (int axis = 0; axis < 3; ++axis)
        for (float sign : {-1.0f, 1.0f}) {
            const int u = (axis + 1) % 3, v = (axis + 2) % 3;
            const auto first = static_cast<std::uint16_t>(points.size());
            for (auto [a, b] : {std::pair{-1, -1}, {1, -1}, {1, 1}, {-1, 1}}) {
                std::array<float, 3> p{};
                p[axis] = sign;
                p[u] = static_cast<float>(a);
                p[v] = static_cast<float>(b);
                points.push_back(p);
                uv.push_back({(a + 1) / 2.0f, (b + 1) / 2.0f});
            }
            faces.push_back({first, static_cast<std::uint16_t>(first + 1),
                             static_cast<std::uint16_t>(first + 2)});
            faces.push_back({first, static_cast<std::uint16_t>(first + 2),
                             static_cast<std::uint16_t>(first + 3)});
            const std::uint32_t group = 1u << (axis * 2 + (sign > 0 ? 1 : 0));
            groups.insert(groups.end(), {group, group});
        }
    Chunk faceChunk = faceList(faces);
    std::vector<std::uint16_t> all(faces.size());
    for (std::size_t i = 0; i < all.size(); ++i) all[i] = static_cast<std::uint16_t>(i);
    faceChunk.add(materialGroup("wall", all)).add(smoothingGroups(groups));
    Chunk mesh(0x4100);
    mesh.add(vertexList(points)).add(texCoords(uv)).add(std::move(faceChunk)).add(identityMatrix());
    return mesh;
}

// The floor below the cube, its bump map repeated three times across it.
Chunk floorSquare() {
    Chunk faces = faceList({{0, 1, 2}, {0, 2, 3}});
    faces.add(materialGroup("bumpy", {0, 1})).add(smoothingGroups({1, 1}));
    Chunk mesh(0x4100);
    mesh.add(vertexList({{-4, -4, -1.5f}, {4, -4, -1.5f}, {4, 4, -1.5f}, {-4, 4, -1.5f}}))
        .add(texCoords({{0, 0}, {3, 0}, {3, 3}, {0, 3}}))
        .add(std::move(faces))
        .add(identityMatrix());
    return mesh;
}

// Heights of diagonal ridges, as a grey picture.
bool writeRidges(const fs::path& file) {
    constexpr int kSide = 64;
    std::vector<std::uint8_t> pixels(kSide * kSide * 3);
    for (int y = 0; y < kSide; ++y)
        for (int x = 0; x < kSide; ++x)
            for (int c = 0; c < 3; ++c)
                pixels[(y * kSide + x) * 3 + c] =
                    static_cast<std::uint8_t>(127.5 + 127.5 * std::sin((x + y) * 3.14159265 / 8));
    return writePng(file.string(), pixels, kSide, kSide, 3);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: make_view_scene OUT_FOLDER PICTURE.jpg\n");
        return 2;
    }
    const fs::path folder = argv[1];
    std::error_code error;
    fs::create_directories(folder, error);
    fs::copy_file(argv[2], folder / "brickwall.jpg", fs::copy_options::overwrite_existing, error);
    if (error || !writeRidges(folder / "ridges.png")) {
        std::fprintf(stderr, "make_view_scene: cannot write into %s: %s\n", argv[1],
                     error ? error.message().c_str() : "ridges.png");
        return 1;
    }
    Chunk wall = colours(0.3f, {1, 1, 1});
    wall.children.insert(wall.children.begin(), materialName("wall"));
    wall.add(Chunk(0xA200).add(percentInt(100)).add(Chunk(0xA300).str("BRICKW~1.JPG")));
    Chunk bumpy = colours(0.2f, {0.55f, 0.6f, 0.7f});
    bumpy.children.insert(bumpy.children.begin(), materialName("bumpy"));
    bumpy.add(Chunk(0xA230).add(percentInt(100)).add(Chunk(0xA300).str("RIDGES.PNG")));
    Chunk lamp(0x4600);
    lamp.floats({-5, -6, 7}).add(colorFloat(1, 1, 1));
    const auto bytes = sceneFile(
        {wall, bumpy, namedObject("cube", cube()), namedObject("floor", floorSquare()),
         namedObject("lamp", lamp),
         namedObject("Camera01", Chunk(0x4700).floats({7, -9, 5, 0, 0, -0.5f, 0, 50}))},
        {keyframer(
            {keyframerHeader(60), keyframerSegment(0, 60),
             nodeWithId(0xB002, 0,
                        {nodeHeader("cube", 0xFFFF), pivot(0, 0, 0),
                         track(0xB020, 60, {{0, {0, 0, 0}}, {30, {0, 0, 1}}, {60, {0, 0, 0}}}),
                         track(0xB021, 0,
                               {{0, {0, 0, 0, 1}},
                                {20, {kThirdOfATurn, 0, 0, 1}},
                                {40, {kThirdOfATurn, 0, 0, 1}},
                                {60, {kThirdOfATurn, 0, 0, 1}}})}),
             nodeWithId(0xB002, 1,
                        {nodeHeader("floor", 0xFFFF), track(0xB020, 0, {{0, {0, 0, 0}}})})})});
    std::ofstream out(folder / "turning.3ds", std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        std::fprintf(stderr, "make_view_scene: cannot write %s\n",
                     (folder / "turning.3ds").string().c_str());
        return 1;
    }
    return 0;
}
