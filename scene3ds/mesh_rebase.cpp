// Moves every mesh's vertices into the mesh's own local frame and turns the
// paired node's pivot into the offset that goes with that frame.
#include <algorithm>
#include <cmath>

#include "scene3ds/matrix4d.h"
#include "scene3ds/model3ds_loader.h"

void Model3dsLoader::rebaseMeshes() {
    // Mesh i goes with node i; a mesh without a node is left as it is.
    const std::size_t paired = std::min(nodes.size(), meshes.size());
    for (std::size_t i = 0; i < paired; ++i) {
        Mesh3ds& mesh = meshes[i];
        Node3ds& node = nodes[i];
        const float* M = mesh.matrix;
        // The transpose: the axes become columns, the origin the last column.
        Matrix4d D(M[0], M[4], M[8], M[12], M[1], M[5], M[9], M[13], M[2], M[6], M[10], M[14], M[3],
                   M[7], M[11], M[15]);
        Matrix4d inverse = Matrix4d::identity();
        inverse3x3(D, inverse);
        double scale[3];
        for (int axis = 0; axis < 3; ++axis) {
            double x = M[4 * axis], y = M[4 * axis + 1], z = M[4 * axis + 2];
            scale[axis] = std::sqrt(x * x + y * y + z * z);
        }
        for (int axis = 0; axis < 3; ++axis)
            node.pivot[axis] = static_cast<float>(-scale[axis] * node.pivot[axis]);

        const Point4 origin{M[12], M[13], M[14], 1};
        for (Vec3f& p : mesh.positions) {
            Point4 relative{p[0] - origin.x, p[1] - origin.y, p[2] - origin.z, 1};
            Point4 q = inverse.transformPoint(relative);
            p = {static_cast<float>(scale[0] * q.x), static_cast<float>(scale[1] * q.y),
                 static_cast<float>(scale[2] * q.z)};
        }
    }
}

void Model3dsLoader::releaseKeys() {
    const std::size_t paired = std::min(nodes.size(), meshes.size());
    for (std::size_t i = 0; i < paired; ++i) {
        std::vector<PivotPoint3ds>().swap(nodes[i].pivots);
        std::vector<RotationKey3ds>().swap(nodes[i].rotationKeys);
        std::vector<PositionKey3ds>().swap(nodes[i].positionKeys);
    }
}
