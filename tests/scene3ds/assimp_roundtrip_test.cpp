// Real files from a real writer: a UV sphere and a torus written as OBJ with
// materials, converted to 3DS by assimp's command-line tool, then read by our
// loader and by libassimp; both must see the same meshes and materials.
#include <assimp/cimport.h>
#include <assimp/scene.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <map>
#include <string>

#include "scene3ds/model3ds_loader.h"
#include "tests/scene3ds/obj_shapes.h"

namespace fs = std::filesystem;

namespace {

struct AssimpScene {
    const aiScene* scene = nullptr;
    explicit AssimpScene(const fs::path& path) { scene = aiImportFile(path.c_str(), 0); }
    ~AssimpScene() { aiReleaseImport(scene); }
};

// Faces per node name, summed over the node's meshes.
void facesByNode(const aiScene* scene, const aiNode* node, std::map<std::string, unsigned>& out) {
    for (unsigned i = 0; i < node->mNumMeshes; ++i)
        out[node->mName.C_Str()] += scene->mMeshes[node->mMeshes[i]]->mNumFaces;
    for (unsigned i = 0; i < node->mNumChildren; ++i) facesByNode(scene, node->mChildren[i], out);
}

class AssimpRoundTrip : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        dir = fs::temp_directory_path() / ("scene3ds_roundtrip_" + std::to_string(::getpid()));
        files = test3ds::writeRoundTripFiles(dir);
    }
    static void TearDownTestSuite() { fs::remove_all(dir); }
    static inline fs::path dir;
    static inline std::vector<fs::path> files;
};

TEST_F(AssimpRoundTrip, AssimpWroteBothFiles) {
    ASSERT_EQ(files.size(), 2u) << "is `assimp` (package assimp-utils) installed?";
}

TEST_F(AssimpRoundTrip, MeshesAndMaterialsMatchAssimp) {
    for (const fs::path& file : files) {
        SCOPED_TRACE(file.filename().string());
        Model3dsLoader ours;
        ASSERT_TRUE(ours.load(file.c_str()));
        AssimpScene theirs(file);
        ASSERT_NE(theirs.scene, nullptr) << aiGetErrorString();

        // Faces: in total, and per named object.
        std::map<std::string, unsigned> theirFaces;
        facesByNode(theirs.scene, theirs.scene->mRootNode, theirFaces);
        unsigned ourTotal = 0, theirTotal = 0;
        for (unsigned i = 0; i < theirs.scene->mNumMeshes; ++i)
            theirTotal += theirs.scene->mMeshes[i]->mNumFaces;
        ASSERT_FALSE(ours.meshes.empty());
        for (const Mesh3ds& mesh : ours.meshes) {
            ourTotal += static_cast<unsigned>(mesh.faces.size());
            EXPECT_EQ(mesh.faces.size(), theirFaces[mesh.name]) << mesh.name;
        }
        EXPECT_EQ(ourTotal, theirTotal);
        EXPECT_EQ(ourTotal, file.stem() == "sphere" ? 24u * 2 * 15 : 32u * 16 * 2);

        // Every material of ours is one of theirs, with the same colours.
        for (const Material3ds& m : ours.materials) {
            bool found = false;
            for (unsigned i = 0; i < theirs.scene->mNumMaterials; ++i) {
                const aiMaterial* am = theirs.scene->mMaterials[i];
                aiString name;
                aiGetMaterialString(am, AI_MATKEY_NAME, &name);
                if (m.name != name.C_Str()) continue;
                found = true;
                aiColor4D diffuse, ambient;
                ASSERT_EQ(aiGetMaterialColor(am, AI_MATKEY_COLOR_DIFFUSE, &diffuse),
                          aiReturn_SUCCESS);
                EXPECT_NEAR(m.diffuse[0], diffuse.r, 1e-6);
                EXPECT_NEAR(m.diffuse[1], diffuse.g, 1e-6);
                EXPECT_NEAR(m.diffuse[2], diffuse.b, 1e-6);
                if (aiGetMaterialColor(am, AI_MATKEY_COLOR_AMBIENT, &ambient) == aiReturn_SUCCESS) {
                    EXPECT_NEAR(m.ambient[0], ambient.r, 1e-6);
                    EXPECT_NEAR(m.ambient[2], ambient.b, 1e-6);
                }
            }
            EXPECT_TRUE(found) << m.name;
        }
        // And the materials of the OBJ file arrived (assimp adds its default).
        int named = 0;
        for (const Material3ds& m : ours.materials)
            for (const char* want : {"Copper", "Slate", "Jade", "Ivory"})
                if (m.name.rfind(want, 0) == 0) ++named;
        EXPECT_EQ(named, 2);

        // Faces carry the material of their group.
        for (const Mesh3ds& mesh : ours.meshes) {
            ASSERT_EQ(mesh.groupMaterials.size(), 1u) << mesh.name;
            for (const Face3ds& f : mesh.faces) EXPECT_EQ(f.materialIndex, mesh.groupMaterials[0]);
        }
    }
}

TEST_F(AssimpRoundTrip, BuiltMeshesAreReadyToDraw) {
    for (const fs::path& file : files) {
        SCOPED_TRACE(file.filename().string());
        Model3dsLoader ours;
        ASSERT_TRUE(ours.load(file.c_str()));
        double low[3] = {1e30, 1e30, 1e30}, high[3] = {-1e30, -1e30, -1e30};
        for (const Mesh3ds& mesh : ours.meshes) {
            const std::size_t n = mesh.positions.size();
            ASSERT_EQ(mesh.normals.size(), n);
            ASSERT_EQ(mesh.tangents.size(), n);
            ASSERT_EQ(mesh.triangles.size(), mesh.faces.size());
            for (const Triangle16& t : mesh.triangles)
                for (std::uint16_t index : t) ASSERT_LT(index, n);
            for (const Vec3f& normal : mesh.normals) {
                double length = std::sqrt(normal[0] * normal[0] + normal[1] * normal[1] +
                                          normal[2] * normal[2]);
                EXPECT_TRUE(length == 0.0 || std::fabs(length - 1.0) < 1e-5) << length;
            }
            for (const Vec3f& p : mesh.positions) {
                for (int i = 0; i < 3; ++i) {
                    low[i] = std::min<double>(low[i], p[i]);
                    high[i] = std::max<double>(high[i], p[i]);
                }
            }
        }
        if (file.stem() != "sphere") continue;
        // The sphere's normals point away from its centre, and closely along
        // the radius.
        const double center[3] = {(low[0] + high[0]) / 2, (low[1] + high[1]) / 2,
                                  (low[2] + high[2]) / 2};
        EXPECT_NEAR(center[0], 1.0, 1e-4);
        EXPECT_NEAR(center[1], -2.0, 1e-2);  // 24 segments: the y extent is not symmetric
        std::size_t checked = 0;
        for (const Mesh3ds& mesh : ours.meshes) {
            for (std::size_t v = 0; v < mesh.positions.size(); ++v) {
                const Vec3f& p = mesh.positions[v];
                const Vec3f& normal = mesh.normals[v];
                double radial[3] = {p[0] - center[0], p[1] - center[1], p[2] - center[2]};
                double r = std::sqrt(radial[0] * radial[0] + radial[1] * radial[1] +
                                     radial[2] * radial[2]);
                double along =
                    (radial[0] * normal[0] + radial[1] * normal[1] + radial[2] * normal[2]) / r;
                EXPECT_GT(along, 0.95) << mesh.name << " vertex " << v;
                ++checked;
            }
        }
        EXPECT_GT(checked, 500u);
    }
}

}  // namespace
