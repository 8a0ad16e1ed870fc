#include "scene3ds/model3ds.h"

Model3ds::~Model3ds() {
    meshes.clear();
    lights.clear();
    materials.clear();
    cameras.clear();
    nodes.clear();
    currentNode = Node3ds{};
}

void Model3ds::reset() {
    // Swapping with empty lists releases their storage, not just the records.
    std::vector<Mesh3ds>().swap(meshes);
    std::vector<Light3ds>().swap(lights);
    std::vector<Material3ds>().swap(materials);
    buildMode = 2;
}
