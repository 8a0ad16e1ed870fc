// Named objects: triangle meshes (0x4100), lights (0x4600), cameras (0x4700).
#include <algorithm>
#include <cmath>

#include "scene3ds/model3ds_loader.h"

void Model3dsLoader::readMesh(const ChunkSpan& chunk) {
    Mesh3ds mesh;
    mesh.setName(objectName);
    seek(chunk.start);
    walkChildren(chunk, WalkForm::kEarlyStop, [&](const ChunkSpan& child) {
        switch (child.id) {
            case chunk3ds::kVertexList: {
                std::uint32_t count = readWord();
                count = std::min(count, recordsLeft(12));
                mesh.resizeVertices(count);
                for (Vec3f& p : mesh.positions) p = {readFloat(), readFloat(), readFloat()};
                break;
            }
            case chunk3ds::kFaceList:
                readFaceList(child, mesh);
                break;
            case chunk3ds::kTexCoords: {
                std::uint32_t count = readWord();
                count = std::min(count, recordsLeft(8));
                if (mesh.positions.empty()) mesh.resizeVertices(count);
                for (std::size_t i = 0; i < count; ++i) {
                    float u = readFloat();
                    float v = readFloat();
                    if (i < mesh.positions.size()) mesh.uv[i] = mesh.uv2[i] = {u, v};
                }
                break;
            }
            case chunk3ds::kLocalAxes:
                for (int row = 0; row < 4; ++row) {
                    for (int column = 0; column < 3; ++column)
                        mesh.matrix[row * 4 + column] = readFloat();
                    mesh.matrix[row * 4 + 3] = row == 3 ? 1.0f : 0.0f;
                }
                break;
            default:
                break;
        }
        return true;
    });

    // A face with a corner outside the vertex list cannot be drawn or built;
    // drop it and keep the rest of the mesh. (Face lists and vertex lists may
    // come in either order, so this is checked once the mesh is complete.)
    const std::size_t vertexCount = mesh.positions.size();
    std::erase_if(mesh.faces, [vertexCount](const Face3ds& face) {
        return face.a >= vertexCount || face.b >= vertexCount || face.c >= vertexCount;
    });
    mesh.triangles.resize(mesh.faces.size());
    meshes.push_back(std::move(mesh));
}

void Model3dsLoader::readFaceList(const ChunkSpan& chunk, Mesh3ds& mesh) {
    std::uint32_t count = readWord();  // read before measuring what is left
    count = std::min(count, recordsLeft(8));
    mesh.faces.assign(count, Face3ds{});
    mesh.triangles.assign(count, Triangle16{});
    for (Face3ds& face : mesh.faces) {
        face.a = readWord();
        face.b = readWord();
        face.c = readWord();
        skip(2);  // face flags
        face.smoothingGroup = 1;
    }
    walkChildren(chunk, WalkForm::kNoEarlyStop, [&](const ChunkSpan& child) {
        if (child.id == chunk3ds::kFaceMaterial) {
            char name[20] = {};
            readString(name, 20);
            const Material3ds* material = findMaterial(name);
            // A group naming no material of the file has no index to give
            // its faces: the faces keep material 0 and the group is left out.
            if (!material) return true;
            mesh.groupMaterials.push_back(material->index);
            std::uint16_t members = readWord();
            for (std::uint32_t i = 0; i < members; ++i) {
                std::uint16_t face = readWord();
                if (face < mesh.faces.size()) mesh.faces[face].materialIndex = material->index;
            }
        } else if (child.id == chunk3ds::kSmoothingGroups) {
            for (Face3ds& face : mesh.faces) face.smoothingGroup = readDword();
        }
        return true;
    });
}

void Model3dsLoader::readLight(const ChunkSpan& chunk) {
    Light3ds light;
    light.setName(objectName);
    seek(chunk.start);
    for (float& v : light.position) v = readFloat();
    walkChildren(chunk, WalkForm::kEarlyStop, [&](const ChunkSpan& child) {
        switch (child.id) {
            case chunk3ds::kColorFloat:
            case chunk3ds::kColor24:
            case chunk3ds::kLinearColor24:
            case chunk3ds::kLinearColorFloat:
                readColor(child, light.color);
                break;
            case chunk3ds::kSpotlight:
                for (float& v : light.spotTarget) v = readFloat();
                light.hotspot = readFloat();
                light.falloff = readFloat();
                break;
            case chunk3ds::kLightInnerRange:
                light.innerRange = readFloat();
                break;
            case chunk3ds::kLightOuterRange:
                light.outerRange = readFloat();
                break;
            default:
                break;
        }
        return true;
    });
    lights.push_back(light);
}

void Model3dsLoader::readCamera(const ChunkSpan& chunk) {
    Camera3ds camera;
    camera.setName(objectName);
    seek(chunk.start);
    for (float& v : camera.position) v = readFloat();
    for (float& v : camera.target) v = readFloat();
    camera.roll = readFloat();
    float lens = readFloat();
    // A lens of 0 (or one so small the quotient overflows) has no field of
    // view; keep the default rather than hand a renderer an infinity.
    float fieldOfView = 2400.0f / lens;
    if (std::isfinite(fieldOfView)) camera.fieldOfView = fieldOfView;
    walkChildren(chunk, WalkForm::kEarlyStop, [&](const ChunkSpan& child) {
        if (child.id == chunk3ds::kCameraRanges) {
            camera.nearRange = readFloat();
            camera.farRange = readFloat();
        }
        return true;
    });
    cameras.push_back(camera);
}
