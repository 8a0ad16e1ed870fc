#pragma once
// Writes test meshes as Wavefront OBJ files with a material library, for
// conversion to 3DS by assimp's command-line tool.
#include <array>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace test3ds {

struct ObjShape {
    std::vector<std::array<double, 3>> points;
    std::vector<std::array<double, 2>> uv;
    // Triangles (1-based indices into points and uv, which run in step) with
    // the material each uses.
    struct Triangle {
        int a, b, c;
        int material;
    };
    std::vector<Triangle> triangles;
};

struct ObjMaterial {
    std::string name;
    double diffuse[3];
    double ambient[3];
};

// A UV sphere of radius r around `center`; faces are counter-clockwise seen
// from outside; bands of rings alternate between materials 0 and 1.
inline ObjShape uvSphere(int segments, int rings, double r, std::array<double, 3> center = {}) {
    constexpr double kPi = 3.14159265358979323846;
    ObjShape s;
    for (int j = 0; j <= rings; ++j) {
        double theta = kPi * j / rings;
        for (int i = 0; i <= segments; ++i) {
            double phi = 2 * kPi * i / segments;
            s.points.push_back({center[0] + r * std::sin(theta) * std::cos(phi),
                                center[1] + r * std::sin(theta) * std::sin(phi),
                                center[2] + r * std::cos(theta)});
            s.uv.push_back({double(i) / segments, 1.0 - double(j) / rings});
        }
    }
    auto at = [&](int i, int j) { return j * (segments + 1) + i + 1; };
    for (int j = 0; j < rings; ++j) {
        int material = (j / 2) % 2;
        for (int i = 0; i < segments; ++i) {
            if (j > 0) s.triangles.push_back({at(i, j), at(i, j + 1), at(i + 1, j), material});
            if (j < rings - 1)
                s.triangles.push_back({at(i + 1, j), at(i, j + 1), at(i + 1, j + 1), material});
        }
    }
    return s;
}

// A torus around the z axis; materials alternate by tube segment.
inline ObjShape torus(int major, int minor, double bigR, double smallR) {
    constexpr double kPi = 3.14159265358979323846;
    ObjShape s;
    for (int j = 0; j <= minor; ++j) {
        double v = 2 * kPi * j / minor;
        for (int i = 0; i <= major; ++i) {
            double u = 2 * kPi * i / major;
            double ring = bigR + smallR * std::cos(v);
            s.points.push_back({ring * std::cos(u), ring * std::sin(u), smallR * std::sin(v)});
            s.uv.push_back({double(i) / major, double(j) / minor});
        }
    }
    auto at = [&](int i, int j) { return j * (major + 1) + i + 1; };
    for (int j = 0; j < minor; ++j) {
        for (int i = 0; i < major; ++i) {
            int material = (i / 4) % 2;
            s.triangles.push_back({at(i, j), at(i + 1, j), at(i + 1, j + 1), material});
            s.triangles.push_back({at(i, j), at(i + 1, j + 1), at(i, j + 1), material});
        }
    }
    return s;
}

inline void writeObj(const std::filesystem::path& objPath, const std::string& objectName,
                     const ObjShape& shape, const std::vector<ObjMaterial>& materials) {
    std::filesystem::path mtlPath = objPath;
    mtlPath.replace_extension(".mtl");
    {
        std::ofstream mtl(mtlPath);
        for (const ObjMaterial& m : materials) {
            mtl << "newmtl " << m.name << "\n";
            mtl << "Ka " << m.ambient[0] << " " << m.ambient[1] << " " << m.ambient[2] << "\n";
            mtl << "Kd " << m.diffuse[0] << " " << m.diffuse[1] << " " << m.diffuse[2] << "\n";
            mtl << "Ks 0.5 0.5 0.5\nNs 40\n\n";
        }
    }
    std::ofstream obj(objPath);
    obj << "mtllib " << mtlPath.filename().string() << "\n";
    obj << "o " << objectName << "\n";
    for (const auto& p : shape.points) obj << "v " << p[0] << " " << p[1] << " " << p[2] << "\n";
    for (const auto& t : shape.uv) obj << "vt " << t[0] << " " << t[1] << "\n";
    int current = -1;
    for (const auto& t : shape.triangles) {
        if (t.material != current) {
            current = t.material;
            obj << "usemtl " << materials[current].name << "\n";
        }
        obj << "f " << t.a << "/" << t.a << " " << t.b << "/" << t.b << " " << t.c << "/" << t.c
            << "\n";
    }
}

// Converts with `assimp export`; true when the 3DS file was written.
inline bool convertWithAssimp(const std::filesystem::path& obj,
                              const std::filesystem::path& out3ds) {
    std::string command =
        "assimp export '" + obj.string() + "' '" + out3ds.string() + "' >/dev/null 2>&1";
    return std::system(command.c_str()) == 0 && std::filesystem::exists(out3ds);
}

// The sphere and torus scenes used by the round-trip tests and fuzz seeds;
// returns the 3DS files written into `dir`.
inline std::vector<std::filesystem::path> writeRoundTripFiles(const std::filesystem::path& dir) {
    std::filesystem::create_directories(dir);
    std::vector<std::filesystem::path> written;
    std::vector<ObjMaterial> sphereMaterials = {{"Copper", {0.8, 0.4, 0.2}, {0.1, 0.05, 0.0}},
                                                {"Slate", {0.2, 0.25, 0.3}, {0.0, 0.0, 0.1}}};
    std::vector<ObjMaterial> torusMaterials = {{"Jade", {0.1, 0.7, 0.4}, {0.0, 0.1, 0.0}},
                                               {"Ivory", {0.9, 0.9, 0.8}, {0.2, 0.2, 0.2}}};
    writeObj(dir / "sphere.obj", "sphere", uvSphere(24, 16, 2.0, {1.0, -2.0, 0.5}),
             sphereMaterials);
    writeObj(dir / "torus.obj", "torus", torus(32, 16, 3.0, 1.0), torusMaterials);
    for (const char* name : {"sphere", "torus"}) {
        std::filesystem::path out = dir / (std::string(name) + ".3ds");
        std::filesystem::remove(out);
        if (convertWithAssimp(dir / (std::string(name) + ".obj"), out)) written.push_back(out);
    }
    return written;
}

}  // namespace test3ds
