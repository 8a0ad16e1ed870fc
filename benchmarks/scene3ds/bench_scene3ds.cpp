// The 3DS loader: the cost of the engine context's pool of 1000 idle
// loaders, and loading a file of 60,000 faces with our loader and with
// libassimp's 3DS importer (no post-processing).
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <new>
#include <string>

#include "scene3ds/model3ds_loader.h"
#include "tests/scene3ds/chunk_writer.h"
#include "tests/scene3ds/obj_shapes.h"

#ifdef BRONTAVIK_HAVE_ASSIMP
#include <assimp/cimport.h>
#include <assimp/scene.h>
#endif

// Counts heap allocations, to show that idle loaders make none.
static std::atomic<long> heapAllocations{0};
// (Only the plain forms are replaced; the others fall back to them. GCC
// cannot see that new and delete below pair malloc with free.)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void* operator new(std::size_t size) {
    heapAllocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
    return operator new(size);
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    std::free(p);
}
#pragma GCC diagnostic pop

namespace {

constexpr int kPoolSize = 1000;

// The pool as the engine context holds it: 1000 loaders in one array,
// constructed in index order and destroyed in reverse.
void BM_LoaderPool(benchmark::State& state) {
    alignas(Model3dsLoader) static unsigned char storage[kPoolSize * sizeof(Model3dsLoader)];
    auto* pool = reinterpret_cast<Model3dsLoader*>(storage);
    long allocations = 0;
    for (auto _ : state) {
        long before = heapAllocations.load();
        for (int i = 0; i < kPoolSize; ++i) new (&pool[i]) Model3dsLoader();
        benchmark::DoNotOptimize(pool);
        for (int i = kPoolSize - 1; i >= 0; --i) pool[i].~Model3dsLoader();
        allocations = heapAllocations.load() - before;
    }
    state.counters["bytes"] = double(sizeof(Model3dsLoader) * kPoolSize);
    state.counters["bytesPerLoader"] = double(sizeof(Model3dsLoader));
    state.counters["heapAllocations"] = double(allocations);
}
BENCHMARK(BM_LoaderPool);

// A UV sphere of 200 x 151 (60,000 faces, 30,552 vertices) in one mesh, with
// texture coordinates, two material groups and smoothing groups.
const std::filesystem::path& bigFile() {
    static const std::filesystem::path path = [] {
        using namespace test3ds;
        ObjShape sphere = uvSphere(200, 151, 5.0);
        std::vector<std::array<float, 3>> points;
        std::vector<std::array<float, 2>> uv;
        for (const auto& p : sphere.points)
            points.push_back({float(p[0]), float(p[1]), float(p[2])});
        for (const auto& t : sphere.uv) uv.push_back({float(t[0]), float(t[1])});
        std::vector<MeshFace> faces;
        std::vector<std::uint16_t> groups[2];
        std::vector<std::uint32_t> smoothing;
        for (const auto& t : sphere.triangles) {
            groups[t.material].push_back(static_cast<std::uint16_t>(faces.size()));
            smoothing.push_back(t.material ? 2u : 1u);
            faces.push_back({static_cast<std::uint16_t>(t.a - 1),
                             static_cast<std::uint16_t>(t.b - 1),
                             static_cast<std::uint16_t>(t.c - 1)});
        }
        Chunk faceChunk = faceList(faces);
        faceChunk.add(materialGroup("Copper", groups[0])).add(materialGroup("Slate", groups[1]));
        faceChunk.add(smoothingGroups(smoothing));
        Chunk mesh(0x4100);
        mesh.add(vertexList(points)).add(texCoords(uv)).add(std::move(faceChunk));
        mesh.add(Chunk(0x4160).floats({1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0}));
        Chunk copper = material("Copper").add(Chunk(0xA020).add(colorFloat(0.8f, 0.4f, 0.2f)));
        Chunk slate = material("Slate").add(Chunk(0xA020).add(colorFloat(0.2f, 0.25f, 0.3f)));
        auto bytes = sceneFile({copper, slate, namedObject("sphere", mesh)},
                               {keyframer({objectNode({nodeHeader("sphere")})})});
        auto file = std::filesystem::temp_directory_path() /
                    ("bench_scene3ds_" + std::to_string(::getpid()) + ".3ds");
        std::ofstream(file, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<long>(bytes.size()));
        std::atexit([] { std::filesystem::remove(bigFile()); });
        return file;
    }();
    return path;
}

void BM_Load60kFaces_Ours(benchmark::State& state) {
    const auto& file = bigFile();
    std::size_t faces = 0;
    for (auto _ : state) {
        auto loader = std::make_unique<Model3dsLoader>();
        if (!loader->load(file.c_str())) state.SkipWithError("load failed");
        faces = loader->meshes.empty() ? 0 : loader->meshes[0].faces.size();
        benchmark::DoNotOptimize(loader->meshes.data());
    }
    state.counters["faces"] = double(faces);
}
BENCHMARK(BM_Load60kFaces_Ours)->Unit(benchmark::kMillisecond);

#ifdef BRONTAVIK_HAVE_ASSIMP
void BM_Load60kFaces_Assimp(benchmark::State& state) {
    const auto& file = bigFile();
    std::size_t faces = 0;
    for (auto _ : state) {
        const aiScene* scene = aiImportFile(file.c_str(), 0);
        if (!scene) state.SkipWithError("assimp import failed");
        faces = 0;
        for (unsigned i = 0; scene && i < scene->mNumMeshes; ++i)
            faces += scene->mMeshes[i]->mNumFaces;
        aiReleaseImport(scene);
    }
    state.counters["faces"] = double(faces);
}
BENCHMARK(BM_Load60kFaces_Assimp)->Unit(benchmark::kMillisecond);
#endif

}  // namespace

// By default the heap is kept warm (no trimming, no mmap for large blocks), so
// the load figures measure parsing rather than this machine's page-fault cost,
// which otherwise depends on where earlier benchmarks left the heap's top.
// BRONTAVIK_COLD_HEAP=1 keeps the C library's defaults.
int main(int argc, char** argv) {
    const char* cold = std::getenv("BRONTAVIK_COLD_HEAP");
    if (!cold || std::string(cold) != "1") {
        mallopt(M_TRIM_THRESHOLD, 512 << 20);
        mallopt(M_MMAP_THRESHOLD, 512 << 20);
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
