// Tangent frames from the texture coordinates, for bump mapping.
#include "scene3ds/mesh_build.h"
#include "scene3ds/vertex_faces.h"

void buildTangentFrames(Mesh3ds& mesh) {
    for (Face3ds& f : mesh.faces) {
        const Vec3f& pa = mesh.positions[f.a];
        const Vec3f& pb = mesh.positions[f.b];
        const Vec3f& pc = mesh.positions[f.c];
        const Vec2f& ta = mesh.uv[f.a];
        const Vec2f& tb = mesh.uv[f.b];
        const Vec2f& tc = mesh.uv[f.c];
        // Per axis, the plane through (axis value, u, v) of the three corners:
        // its normal n gives d(axis)/du = -nU/nAxis and d(axis)/dv = -nV/nAxis.
        // Degenerate texture coordinates give nAxis = 0 and infinite or NaN
        // components, which are kept as they are.
        for (int axis = 0; axis < 3; ++axis) {
            float e1[3] = {pb[axis] - pa[axis], tb[0] - ta[0], tb[1] - ta[1]};
            float e2[3] = {pc[axis] - pa[axis], tc[0] - ta[0], tc[1] - ta[1]};
            float nAxis = e1[1] * e2[2] - e1[2] * e2[1];
            float nU = e1[2] * e2[0] - e1[0] * e2[2];
            float nV = e1[0] * e2[1] - e1[1] * e2[0];
            f.tangent[axis] = -nU / nAxis;
            f.binormal[axis] = -nV / nAxis;
        }
    }
    VertexFaces lists(mesh.faces, mesh.positions.size());
    for (std::size_t v = 0; v < mesh.positions.size(); ++v) {
        Vec3f sum = {0.0f, 0.0f, 0.0f};
        for (std::uint32_t j : lists.of(v)) {
            const Vec3f& t = mesh.faces[j].tangent;
            sum = {sum[0] + t[0], sum[1] + t[1], sum[2] + t[2]};
        }
        Vec3f t = normalize3f(sum);
        const Vec3f& n = mesh.normals[v];
        mesh.tangents[v] = t;
        mesh.binormals[v] = normalize3f(
            {t[1] * n[2] - t[2] * n[1], t[2] * n[0] - t[0] * n[2], t[0] * n[1] - t[1] * n[0]});
    }
}
