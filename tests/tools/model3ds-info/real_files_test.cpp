// model3ds-info on the real 3DS files of Debian's assimp-testmodels: what it
// prints agrees with libassimp and lib3ds, RotatingCube.3DS turns through
// every one of its keys, and damaged copies end with exit 0 or 1, never a
// signal or a hang.
#include <assimp/cimport.h>
#include <assimp/scene.h>
#include <gtest/gtest.h>
#include <lib3ds/file.h>
#include <lib3ds/node.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <random>
#include <string>
#include <vector>

#include "scene3ds/model3ds_loader.h"
#include "tests/support/tool_process.h"

namespace fs = std::filesystem;
using nlohmann::json;

namespace {

// Every 3DS file of the package except those it keeps as invalid input.
std::vector<std::string> realFiles() {
    std::vector<std::string> files;
    for (const std::string& f :
         tool_process::filesWithExtension(tool_process::kAssimpModels, {".3ds"}))
        if (f.find("/invalid/") == std::string::npos) files.push_back(f);
    return files;
}

json describe(const std::string& file) {
    auto run = tool_process::run({tool_process::toolPath("model3ds-info"), file});
    EXPECT_EQ(run.exitCode, 0) << file << ": " << run.err;
    return json::parse(run.out, nullptr, false);
}

// Faces per node name, summed over the node's meshes (assimp splits an
// object into one mesh per material).
void facesByNode(const aiScene* scene, const aiNode* node, std::map<std::string, unsigned>& out) {
    for (unsigned i = 0; i < node->mNumMeshes; ++i)
        out[node->mName.C_Str()] += scene->mMeshes[node->mMeshes[i]]->mNumFaces;
    for (unsigned i = 0; i < node->mNumChildren; ++i) facesByNode(scene, node->mChildren[i], out);
}

TEST(Model3dsRealFiles, AgreeWithAssimpAndLib3ds) {
    const auto files = realFiles();
    ASSERT_GE(files.size(), 9u) << "is assimp-testmodels installed?";
    for (const std::string& file : files) {
        SCOPED_TRACE(file);
        const json ours = describe(file);
        ASSERT_FALSE(ours.is_discarded());
        const aiScene* scene = aiImportFile(file.c_str(), 0);
        ASSERT_NE(scene, nullptr) << aiGetErrorString();

        // Materials: assimp adds "%%%DEFAULT" for faces without a material.
        std::vector<std::string> theirMaterials;
        for (unsigned i = 0; i < scene->mNumMaterials; ++i) {
            aiString name;
            aiGetMaterialString(scene->mMaterials[i], AI_MATKEY_NAME, &name);
            if (std::strcmp(name.C_Str(), "%%%DEFAULT") != 0)
                theirMaterials.push_back(name.C_Str());
        }
        std::vector<std::string> ourMaterials;
        for (const json& m : ours["materials"]) ourMaterials.push_back(m["name"]);
        EXPECT_EQ(ourMaterials, theirMaterials);

        // Meshes: assimp names its nodes after the objects, or "3DSMesh_i"
        // when the file has no keyframer to name them.
        std::map<std::string, unsigned> theirFaces;
        facesByNode(scene, scene->mRootNode, theirFaces);
        EXPECT_EQ(ours["meshes"].size(), theirFaces.size());
        for (std::size_t i = 0; i < ours["meshes"].size(); ++i) {
            const json& mesh = ours["meshes"][i];
            std::string name = mesh["name"];
            if (!theirFaces.count(name)) name = "3DSMesh_" + std::to_string(i);
            EXPECT_EQ(mesh["faces"], theirFaces[name]) << name;
        }
        ASSERT_EQ(ours["cameras"].size(), scene->mNumCameras);
        for (unsigned i = 0; i < scene->mNumCameras; ++i)
            EXPECT_EQ(ours["cameras"][i]["name"], scene->mCameras[i]->mName.C_Str());
        EXPECT_EQ(ours["lights"].size(), scene->mNumLights);

        // Object nodes: one per mesh node of assimp's hierarchy.
        const std::size_t nodeCount = ours["nodeCount"];
        if (nodeCount > 0) {
            EXPECT_EQ(nodeCount, theirFaces.size());
            for (const json& node : ours["nodes"]) EXPECT_TRUE(theirFaces.count(node["mesh"]));
        }
        // Frames: assimp's animation ends at the last key it read (cameras
        // too, which the loader does not animate); lib3ds gives the length
        // the keyframer's header states, whose last frame is frameCount - 1.
        const std::uint32_t frameCount = ours["frameCount"];
        for (unsigned i = 0; i < scene->mNumAnimations; ++i)
            EXPECT_GT(frameCount, scene->mAnimations[i]->mDuration);
        Lib3dsFile* reference = lib3ds_file_load(file.c_str());
        ASSERT_NE(reference, nullptr);
        if (nodeCount > 0) {
            EXPECT_EQ(frameCount, std::max(reference->frames, reference->segment_to) + 1);
        }
        lib3ds_file_free(reference);
        aiReleaseImport(scene);
    }
}

// 3ds Max stores 0 where the position track asks for a frame count; the
// rotation keys run to frame 181 of a 300-frame animation.
TEST(Model3dsRealFiles, RotatingCubeTurnsThroughItsKeys) {
    const std::string file = std::string(tool_process::kAssimpModels) + "/3DS/RotatingCube.3DS";
    Model3dsLoader loader;
    ASSERT_TRUE(loader.load(file.c_str()));
    ASSERT_EQ(loader.frameCount, 301u);
    const Node3ds& node = loader.nodes.at(0);
    ASSERT_EQ(node.rotationFrames.size(), 301u);
    ASSERT_EQ(node.positionFrames.size(), 301u);

    // The keys as lib3ds reads them: axis and angle of each, relative to the
    // one before.
    Lib3dsFile* reference = lib3ds_file_load(file.c_str());
    ASSERT_NE(reference, nullptr);
    Lib3dsNode* box = lib3ds_file_node_by_name(reference, "Box01", LIB3DS_OBJECT_NODE);
    ASSERT_NE(box, nullptr);
    const Lib3dsQuatKey* key = box->data.object.rot_track.keyL;
    ASSERT_NE(key, nullptr);
    for (int i = 0; i < 3; ++i) EXPECT_FLOAT_EQ(node.baseRotation[i], -key->axis[i]);
    EXPECT_FLOAT_EQ(node.baseRotation[3], key->angle);
    int keys = 1, lastFrame = 0;
    float angle = 0.0f;
    for (key = key->next; key; key = key->next, ++keys) {
        angle += key->angle;
        lastFrame = key->tcb.frame;
        const auto& entry = node.rotationFrames.at(static_cast<std::size_t>(lastFrame));
        for (int i = 0; i < 3; ++i) EXPECT_NEAR(entry[i], -key->axis[i], 1e-6) << lastFrame;
        EXPECT_NEAR(entry[3], angle, 1e-5) << lastFrame;
    }
    lib3ds_file_free(reference);
    EXPECT_EQ(keys, 182);
    EXPECT_EQ(lastFrame, 181);
    EXPECT_GT(node.rotationFrames[181][3], 10.0f);  // it turns, by more than 10 radians
    EXPECT_EQ(node.rotationFrames[300], node.rotationFrames[181]);
}

// Where the names of a file lie: every occurrence of a name the undamaged
// file prints (materials, objects, map files and node headers share them).
std::vector<std::size_t> namePositions(const std::vector<char>& bytes, const json& description) {
    std::vector<std::string> names;
    for (const char* list : {"materials", "meshes", "lights", "cameras"})
        for (const json& item : description[list]) names.push_back(item["name"]);
    for (const json& m : description["materials"])
        for (const json& map : m["maps"]) names.push_back(map["fileName"]);
    std::vector<std::size_t> positions;
    for (const std::string& name : names) {
        if (name.empty()) continue;
        for (auto at = std::search(bytes.begin(), bytes.end(), name.begin(), name.end());
             at != bytes.end(); at = std::search(at + 1, bytes.end(), name.begin(), name.end())) {
            for (std::size_t i = 0; i < name.size(); ++i)
                positions.push_back(static_cast<std::size_t>(at - bytes.begin()) + i);
        }
    }
    return positions;
}

TEST(Model3dsRealFiles, DamagedCopiesEndWithZeroOrOne) {
    const fs::path dir =
        fs::temp_directory_path() / ("model3ds_damage_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const auto files = realFiles();
    ASSERT_FALSE(files.empty());
    constexpr int kCopiesPerFile = 36;
    int copies = 0, nameFlips = 0, loaded = 0;
    for (std::size_t f = 0; f < files.size(); ++f) {
        std::ifstream in(files[f], std::ios::binary);
        const std::vector<char> original((std::istreambuf_iterator<char>(in)), {});
        const std::vector<std::size_t> names = namePositions(original, describe(files[f]));
        ASSERT_FALSE(names.empty()) << files[f];
        for (int copy = 0; copy < kCopiesPerFile; ++copy) {
            std::mt19937 random(static_cast<std::uint32_t>(1000 * f + copy));
            auto below = [&](std::size_t n) {
                return std::uniform_int_distribution<std::size_t>(0, n - 1)(random);
            };
            auto anyByte = [&] { return static_cast<char>(below(256)); };
            std::vector<char> bytes = original;
            std::string what;
            switch (copy % 6) {
                case 0:
                case 1:
                case 2:  // bytes inside names, high half or anything
                    for (std::size_t n = 1 + below(3); n > 0; --n)
                        bytes[names[below(names.size())]] =
                            copy % 3 == 2 ? anyByte() : static_cast<char>(0x80 | below(128));
                    what = "name bytes";
                    ++nameFlips;
                    break;
                case 3:  // bytes anywhere
                    for (std::size_t n = 1 + below(8); n > 0; --n)
                        bytes[below(bytes.size())] = anyByte();
                    what = "bytes";
                    break;
                case 4:  // cut short
                    bytes.resize(below(bytes.size()));
                    what = "truncated";
                    break;
                default:  // a run of bytes dropped from the middle, shifting every chunk after it
                {
                    const std::size_t at = below(bytes.size());
                    bytes.erase(bytes.begin() + static_cast<long>(at),
                                bytes.begin() +
                                    static_cast<long>(std::min(bytes.size(), at + 1 + below(16))));
                    what = "bytes dropped";
                }
            }
            const fs::path damaged = dir / ("copy" + std::to_string(copies++) + ".3ds");
            std::ofstream(damaged, std::ios::binary)
                .write(bytes.data(), static_cast<long>(bytes.size()));
            auto run = tool_process::run(
                {tool_process::toolPath("model3ds-info"), damaged.string()}, 20.0);
            SCOPED_TRACE(files[f] + " copy " + std::to_string(copy) + " (" + what + ")");
            EXPECT_FALSE(run.timedOut);
            EXPECT_EQ(run.signal, 0);
            ASSERT_TRUE(run.exitCode == 0 || run.exitCode == 1) << run.exitCode << " " << run.err;
            if (run.exitCode == 0) {
                ++loaded;
                EXPECT_FALSE(json::parse(run.out, nullptr, false).is_discarded());
            } else {
                EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;  // one line
            }
        }
    }
    EXPECT_GE(copies, 300);
    EXPECT_GE(nameFlips, 150);
    EXPECT_GT(loaded, copies / 2);  // most damage leaves a loadable scene
    fs::remove_all(dir);
}

}  // namespace
