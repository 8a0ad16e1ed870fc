// Loading a 3DS file: reading it into memory and walking the chunk tree in
// its fixed order (materials, named objects, keyframer, mesh build).
#include <cstdio>
#include <cstring>
#include <limits>
#include <new>

#include "scene3ds/mesh_build.h"
#include "scene3ds/model3ds_loader.h"
#include "scene3ds/parallel_meshes.h"

Model3dsLoader::~Model3dsLoader() {
    // The buffer only exists during a load; release it should a load have
    // been interrupted. Model3ds' destructor then empties the lists.
    closeBuffer();
}

bool Model3dsLoader::load(const char* path) {
    if (!path) return false;
    std::FILE* file = std::fopen(path, "rb");
    if (!file) return false;
    long size = -1;
    if (std::fseek(file, 0, SEEK_END) == 0) size = std::ftell(file);
    if (size <= 0 || static_cast<unsigned long>(size) > std::numeric_limits<std::uint32_t>::max() ||
        std::fseek(file, 0, SEEK_SET) != 0) {
        std::fclose(file);  // empty, unreadable or larger than 32-bit offsets reach
        return false;
    }
    closeBuffer();
    fileData = new (std::nothrow) std::uint8_t[static_cast<std::size_t>(size)]();
    if (!fileData) {
        std::fclose(file);
        return false;
    }
    fileSize = static_cast<std::uint32_t>(size);
    cursor = 0;
    bool complete = std::fread(fileData, static_cast<std::size_t>(size), 1, file) == 1;
    std::fclose(file);
    if (!complete) {
        closeBuffer();
        return false;
    }
    reset();
    bool parsed = parse();
    closeBuffer();
    return parsed;
}

bool Model3dsLoader::loadBytes(const std::uint8_t* data, std::size_t size) {
    if (!openBuffer(data, size)) return false;
    reset();
    bool parsed = parse();
    closeBuffer();
    return parsed;
}

const Material3ds* Model3dsLoader::findMaterial(const char* name) const {
    std::size_t length = std::strlen(name);
    for (const Material3ds& material : materials) {
        if (material.name.size() == length && std::memcmp(material.name.data(), name, length) == 0)
            return &material;
    }
    return nullptr;
}

bool Model3dsLoader::parse() {
    cursor = 0;
    ChunkSpan main = readChunk();
    if (main.id != chunk3ds::kMain) return false;

    ChunkSpan editor;
    editor.id = chunk3ds::kEditor;
    if (!findChunk(editor, main)) return false;

    // Materials first, so that the material groups of every mesh find them.
    seek(editor.start);
    ChunkSpan entry;
    entry.id = chunk3ds::kMaterial;
    while (findChunk(entry, editor)) {
        Material3ds material;
        if (readMaterial(entry, material)) {
            materials.push_back(material);
            materials.back().index = static_cast<std::int32_t>(materials.size() - 1);
        }
        seek(entry.end);
    }

    // Named objects: meshes, lights and cameras.
    seek(editor.start);
    ChunkSpan object;
    object.id = chunk3ds::kNamedObject;
    while (findChunk(object, editor)) {
        if (readString(objectName, 99) == 98 && fileData[cursor - 1] != 0) {
            // The name was longer than the 98 characters kept: pass over the
            // rest of it, so the object's first chunk is read where it is.
            while (readByte() != 0) {
            }
        }
        ChunkSpan first = readChunk();
        switch (first.id) {
            case chunk3ds::kTriangleMesh:
                readMesh(first);
                break;
            case chunk3ds::kLight:
                readLight(first);
                break;
            case chunk3ds::kCamera:
                readCamera(first);
                break;
            default:
                break;
        }
        seek(object.end);
    }

    readKeyframer(main);
    sampleTracks();
    rebaseMeshes();
    buildMeshes();

    cursor = 0;
    objectName[0] = '\0';
    releaseKeys();
    return true;
}

void Model3dsLoader::buildMeshes() {
    if (buildMode != 1 && buildMode != 2) return;
    // Each mesh is built from its own data alone: side by side on the cores.
    forEachInParallel(meshes.size(), [this](std::size_t i) {
        Mesh3ds& mesh = meshes[i];
        if (buildMode == 1) {
            buildNormals(mesh, false);
        } else {
            buildNormals(mesh, true);
            buildTangentFrames(mesh);
        }
    });
}
