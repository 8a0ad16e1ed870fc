// make_big_3ds OUT.3ds [MESHES]: writes a generated 3DS scene for the
// player's benchmarks: MESHES (default 16) wavy grids of 180 x 180
// vertices, 64,082 faces each (a million faces for 16), side by side.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "tests/scene3ds/chunk_writer.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: make_big_3ds OUT.3ds [MESHES]\n");
        return 2;
    }
    const int meshes = argc > 2 ? std::atoi(argv[2]) : 16;
    constexpr int n = 180;
    using namespace test3ds;
    std::vector<Chunk> editor;
    editor.push_back(material("Grey").add(Chunk(0xA020).add(color24(180, 180, 190))));
    long faces = 0;
    for (int m = 0; m < meshes; ++m) {
        std::vector<std::array<float, 3>> points;
        for (int y = 0; y < n; ++y)
            for (int x = 0; x < n; ++x)
                points.push_back({static_cast<float>(x + (m % 4) * n),
                                  static_cast<float>(y + (m / 4) * n),
                                  static_cast<float>(8 * std::sin(x * 0.1) * std::cos(y * 0.13))});
        std::vector<MeshFace> list;
        std::vector<std::uint16_t> all;
        for (int y = 0; y + 1 < n; ++y)
            for (int x = 0; x + 1 < n; ++x) {
                const auto v = static_cast<std::uint16_t>(y * n + x);
                list.push_back(
                    {v, static_cast<std::uint16_t>(v + 1), static_cast<std::uint16_t>(v + n + 1)});
                list.push_back(
                    {v, static_cast<std::uint16_t>(v + n + 1), static_cast<std::uint16_t>(v + n)});
            }
        for (std::size_t f = 0; f < list.size(); ++f) all.push_back(static_cast<std::uint16_t>(f));
        faces += static_cast<long>(list.size());
        Chunk faceChunk = faceList(list);
        faceChunk.add(materialGroup("Grey", all));
        Chunk mesh(0x4100);
        mesh.add(vertexList(points)).add(std::move(faceChunk));
        editor.push_back(namedObject("Grid" + std::to_string(m), std::move(mesh)));
    }
    const std::vector<std::uint8_t> bytes = sceneFile(std::move(editor));
    std::ofstream(argv[1], std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    std::printf("%s: %d meshes, %ld faces, %zu bytes\n", argv[1], meshes, faces, bytes.size());
    return 0;
}
