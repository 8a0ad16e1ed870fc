#pragma once
// Small complete 3DS scenes built with the chunk writer: seeds for the fuzz
// target and inputs for checks that want every kind of chunk at once.
#include <string>
#include <utility>
#include <vector>

#include "tests/scene3ds/chunk_writer.h"

namespace test3ds {

// A grid of (n + 1) x (n + 1) vertices in the plane z = 0 with u = x, v = y,
// split into two smoothing groups and two material groups.
inline Chunk gridMesh(int n, const std::string& materialA, const std::string& materialB) {
    std::vector<std::array<float, 3>> points;
    std::vector<std::array<float, 2>> uv;
    for (int j = 0; j <= n; ++j) {
        for (int i = 0; i <= n; ++i) {
            points.push_back({float(i), float(j), float((i * j) % 3) * 0.25f});
            uv.push_back({float(i) / float(n), float(j) / float(n)});
        }
    }
    std::vector<MeshFace> faces;
    std::vector<std::uint32_t> smoothing;
    std::vector<std::uint16_t> groupA, groupB;
    auto at = [n](int i, int j) { return static_cast<std::uint16_t>(j * (n + 1) + i); };
    for (int j = 0; j < n; ++j) {
        for (int i = 0; i < n; ++i) {
            for (MeshFace f : {MeshFace{at(i, j), at(i + 1, j), at(i + 1, j + 1)},
                               MeshFace{at(i, j), at(i + 1, j + 1), at(i, j + 1)}}) {
                auto index = static_cast<std::uint16_t>(faces.size());
                (i < n / 2 ? groupA : groupB).push_back(index);
                smoothing.push_back(j < n / 2 ? 1u : 2u);
                faces.push_back(f);
            }
        }
    }
    Chunk faceChunk = faceList(faces);
    faceChunk.add(materialGroup(materialA, groupA)).add(materialGroup(materialB, groupB));
    faceChunk.add(smoothingGroups(smoothing));
    Chunk mesh(0x4100);
    mesh.add(vertexList(points)).add(texCoords(uv)).add(std::move(faceChunk));
    mesh.add(Chunk(0x4160).floats({1, 0, 0, 0, 1, 0, 0, 0, 1, 0.5f, 0.5f, 0}));
    return mesh;
}

inline std::vector<std::pair<std::string, std::vector<std::uint8_t>>> sampleScenes() {
    Chunk stone = material("stone");
    stone.add(Chunk(0xA010).add(color24(40, 40, 40)));
    stone.add(Chunk(0xA020).add(colorFloat(0.5f, 0.5f, 0.55f)));
    stone.add(Chunk(0xA030).add(color24(255, 255, 255)));
    stone.add(Chunk(0xA040).add(percentInt(30))).add(Chunk(0xA050).add(percentFloat(0.1f)));
    stone.add(Chunk(0xA100).u16(3));
    stone.add(Chunk(0xA200)
                  .add(percentInt(100))
                  .add(Chunk(0xA300).str("stone.jpg"))
                  .add(Chunk(0xA354).f32(2))
                  .add(Chunk(0xA35C).f32(10)));
    stone.add(Chunk(0xA230).add(percentInt(40)).add(Chunk(0xA300).str("bump.jpg")));
    Chunk chrome = material("chrome");
    chrome.add(Chunk(0xA220).add(percentInt(80)).add(Chunk(0xA300).str("")));
    chrome.add(Chunk(0xA085));

    Chunk light = Chunk(0x4600).floats({10, 10, 10});
    light.add(color24(255, 240, 200)).add(Chunk(0x4610).floats({0, 0, 0, 20, 40}));
    light.add(Chunk(0x4659).f32(50)).add(Chunk(0x465A).f32(500));
    Chunk camera = Chunk(0x4700).floats({0, -20, 5, 0, 0, 0, 0, 35});
    camera.add(Chunk(0x4720).floats({1, 1000}));

    Chunk keys = keyframer(
        {objectNode({nodeHeader("grid"), pivot(1, 1, 0),
                     track(0xB020, 40, {{0, {0, 0, 0}}, {20, {5, 0, 0}, 0x0003}, {39, {5, 5, 0}}}),
                     track(0xB021, 0, {{0, {0, 0, 0, 1}}, {10, {0.5f, 0, 1, 0}, 0x0010}})}),
         objectNode({nodeHeader("tile"), track(0xB020, 0, {{5, {1, 2, 3}}})})});

    std::vector<std::pair<std::string, std::vector<std::uint8_t>>> scenes;
    scenes.emplace_back(
        "full.3ds", sceneFile({stone, chrome, namedObject("grid", gridMesh(6, "stone", "chrome")),
                               namedObject("tile", gridMesh(1, "chrome", "stone")),
                               namedObject("sun", light), namedObject("eye", camera)},
                              {keys}));
    scenes.emplace_back("mesh-only.3ds", sceneFile({namedObject("grid", gridMesh(3, "a", "b"))}));
    scenes.emplace_back("lights.3ds",
                        sceneFile({namedObject("sun", light), namedObject("eye", camera)}));
    return scenes;
}

}  // namespace test3ds
