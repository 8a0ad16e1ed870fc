#pragma once
// Builds 3DS files in memory for tests, seeds and benchmarks: a chunk is an
// identifier, its own data bytes and child chunks; bytes() lays it out with
// the 6-byte headers and lengths filled in.
#include <array>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

namespace test3ds {

struct Chunk {
    std::uint16_t id = 0;
    std::vector<std::uint8_t> data;
    std::vector<Chunk> children;
    std::optional<std::uint32_t> lengthOverride;  // write this length instead

    explicit Chunk(std::uint16_t chunkId) : id(chunkId) {}

    Chunk& u8(std::uint8_t v) {
        data.push_back(v);
        return *this;
    }
    Chunk& u16(std::uint16_t v) {
        data.push_back(static_cast<std::uint8_t>(v));
        data.push_back(static_cast<std::uint8_t>(v >> 8));
        return *this;
    }
    Chunk& u32(std::uint32_t v) {
        for (int i = 0; i < 4; ++i) data.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
        return *this;
    }
    Chunk& f32(float v) {
        std::uint32_t bits;
        std::memcpy(&bits, &v, 4);
        return u32(bits);
    }
    Chunk& floats(std::initializer_list<float> values) {
        for (float v : values) f32(v);
        return *this;
    }
    Chunk& str(const std::string& s) {  // zero-terminated
        data.insert(data.end(), s.begin(), s.end());
        data.push_back(0);
        return *this;
    }
    Chunk& add(Chunk child) {
        children.push_back(std::move(child));
        return *this;
    }
    Chunk& withLength(std::uint32_t length) {
        lengthOverride = length;
        return *this;
    }

    std::uint32_t size() const {
        std::uint32_t total = 6 + static_cast<std::uint32_t>(data.size());
        for (const Chunk& c : children) total += c.size();
        return total;
    }
    void appendTo(std::vector<std::uint8_t>& out) const {
        std::uint32_t length = lengthOverride.value_or(size());
        out.push_back(static_cast<std::uint8_t>(id));
        out.push_back(static_cast<std::uint8_t>(id >> 8));
        for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(length >> (8 * i)));
        out.insert(out.end(), data.begin(), data.end());
        for (const Chunk& c : children) c.appendTo(out);
    }
    std::vector<std::uint8_t> bytes() const {
        std::vector<std::uint8_t> out;
        appendTo(out);
        return out;
    }
};

// --- Common pieces -----------------------------------------------------------

inline Chunk color24(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    return Chunk(0x0011).u8(r).u8(g).u8(b);
}
inline Chunk colorFloat(float r, float g, float b) {
    return Chunk(0x0010).floats({r, g, b});
}
inline Chunk percentInt(std::int16_t v) {
    return Chunk(0x0030).u16(static_cast<std::uint16_t>(v));
}
inline Chunk percentFloat(float v) {
    return Chunk(0x0031).f32(v);
}

inline Chunk materialName(const std::string& name) {
    return Chunk(0xA000).str(name);
}
inline Chunk material(const std::string& name) {
    return Chunk(0xAFFF).add(materialName(name));
}

struct MeshFace {
    std::uint16_t a, b, c;
};

inline Chunk vertexList(const std::vector<std::array<float, 3>>& points) {
    Chunk c(0x4110);
    c.u16(static_cast<std::uint16_t>(points.size()));
    for (const auto& p : points) c.floats({p[0], p[1], p[2]});
    return c;
}
inline Chunk faceList(const std::vector<MeshFace>& faces) {
    Chunk c(0x4120);
    c.u16(static_cast<std::uint16_t>(faces.size()));
    for (const MeshFace& f : faces) c.u16(f.a).u16(f.b).u16(f.c).u16(0);
    return c;
}
inline Chunk materialGroup(const std::string& name, const std::vector<std::uint16_t>& faces) {
    Chunk c(0x4130);
    c.str(name).u16(static_cast<std::uint16_t>(faces.size()));
    for (std::uint16_t f : faces) c.u16(f);
    return c;
}
inline Chunk smoothingGroups(const std::vector<std::uint32_t>& groups) {
    Chunk c(0x4150);
    for (std::uint32_t g : groups) c.u32(g);
    return c;
}
inline Chunk texCoords(const std::vector<std::array<float, 2>>& uv) {
    Chunk c(0x4140);
    c.u16(static_cast<std::uint16_t>(uv.size()));
    for (const auto& t : uv) c.floats({t[0], t[1]});
    return c;
}
inline Chunk namedObject(const std::string& name, Chunk first) {
    Chunk c(0x4000);
    c.str(name).add(std::move(first));
    return c;
}

// A whole file: main chunk holding the editor chunk with `editorChildren`,
// then `mainChildren` (for example the keyframer) after it.
inline std::vector<std::uint8_t> sceneFile(std::vector<Chunk> editorChildren,
                                           std::vector<Chunk> mainChildren = {}) {
    Chunk editor(0x3D3D);
    editor.add(Chunk(0x3D3E).u32(3));  // mesh version, skipped by the loader
    for (Chunk& c : editorChildren) editor.add(std::move(c));
    Chunk main(0x4D4D);
    main.add(Chunk(0x0002).u32(3));  // file version
    main.add(std::move(editor));
    for (Chunk& c : mainChildren) main.add(std::move(c));
    // The reader never reads the last byte of a file; real files end in
    // keyframer data that nothing reads, so end with a chunk no one reads.
    main.add(Chunk(0x0003).u32(0));
    return main.bytes();
}

// --- Keyframer pieces --------------------------------------------------------

struct Key {
    std::uint32_t frame;
    std::vector<float> values;  // 3 for position, 4 (angle, axis) for rotation
    std::uint16_t flags = 0;
};

inline Chunk track(std::uint16_t id, std::uint32_t framesAsked, const std::vector<Key>& keys) {
    Chunk c(id);
    c.u16(0).u32(0).u32(framesAsked).u32(static_cast<std::uint32_t>(keys.size()));
    for (const Key& k : keys) {
        c.u32(k.frame).u16(k.flags);
        for (int bit = 0; bit < 5; ++bit)
            if (k.flags & (1u << bit)) c.f32(99.0f);  // spline parameter, skipped
        for (float v : k.values) c.f32(v);
    }
    return c;
}
inline Chunk nodeHeader(const std::string& name) {
    return Chunk(0xB010).str(name).u16(0).u16(0).u16(0xFFFF);
}
// A node header naming its parent's id (0xFFFF: none) and its flags.
inline Chunk nodeHeader(const std::string& name, std::uint16_t parent, std::uint16_t flags = 0) {
    return Chunk(0xB010).str(name).u16(flags).u16(0).u16(parent);
}
// A keyframer node of chunk `kind` with its id chunk and then `children`.
inline Chunk nodeWithId(std::uint16_t kind, std::uint16_t id, std::vector<Chunk> children) {
    Chunk c(kind);
    c.add(Chunk(0xB030).u16(id));
    for (Chunk& child : children) c.add(std::move(child));
    return c;
}
inline Chunk pivot(float x, float y, float z) {
    return Chunk(0xB013).floats({x, y, z});
}
inline Chunk objectNode(std::vector<Chunk> children) {
    Chunk c(0xB002);
    for (Chunk& child : children) c.add(std::move(child));
    return c;
}
// The keyframer's header (revision, scene name, animation length) and its
// active segment (first and last frame), as 3ds Max writes them.
inline Chunk keyframerHeader(std::uint32_t length) {
    return Chunk(0xB00A).u16(5).str("MAXSCENE").u32(length);
}
inline Chunk keyframerSegment(std::uint32_t first, std::uint32_t last) {
    return Chunk(0xB008).u32(first).u32(last);
}
inline Chunk keyframer(std::vector<Chunk> nodes) {
    Chunk c(0xB000);
    for (Chunk& n : nodes) c.add(std::move(n));
    return c;
}

}  // namespace test3ds
