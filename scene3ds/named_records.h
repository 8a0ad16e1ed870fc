#pragma once
// The named records of a 3DS scene: cameras, lights and materials (meshes are
// in mesh3ds.h). They share a small base holding the object's name.
#include <cstdint>
#include <string>

class NamedRecord {
  public:
    NamedRecord() = default;
    NamedRecord(const NamedRecord&) = default;
    NamedRecord& operator=(const NamedRecord&) = default;
    // Moves, so that lists of records grow without copying them.
    NamedRecord(NamedRecord&&) noexcept = default;
    NamedRecord& operator=(NamedRecord&&) noexcept = default;
    virtual ~NamedRecord();

    virtual const char* getName() const;
    virtual void setName(const char* newName);

    std::string name;
};

class Camera3ds : public NamedRecord {
  public:
    float position[3] = {0.0f, 0.0f, 0.0f};
    float target[3] = {0.0f, 0.0f, 0.0f};
    float roll = 0.0f;  // bank angle in degrees, as stored in the file
    float fieldOfView = 80.0f;
    float nearRange = 10.0f;
    float farRange = 10000.0f;
};

class Light3ds : public NamedRecord {
  public:
    float position[3] = {0.0f, 0.0f, 0.0f};
    float color[3] = {0.0f, 0.0f, 0.0f};
    float spotTarget[3] = {0.0f, 0.0f, 0.0f};
    float hotspot = 0.0f;
    float falloff = 0.0f;
    float outerRange = 1000.0f;
    float innerRange = 100.0f;
};

struct TextureMap3ds {
    float strength = 0.0f;
    char fileName[256] = {};
    float uScale = 1.0f;
    float vScale = 1.0f;
    float uOffset = 0.0f;
    float vOffset = 0.0f;
    float rotation = 0.0f;
};

// Texture map slots of a material.
enum MapSlot3ds : int {
    kTextureMap1 = 0,
    kTextureMap2 = 1,
    kOpacityMap = 2,
    kReflectionMap = 3,
    kBumpMap = 4,
    kSpecularMap = 5,
    kMapSlotCount = 6,
};

class Material3ds : public NamedRecord {
  public:
    std::int32_t index = 0;  // position in the loader's material list
    TextureMap3ds maps[kMapSlotCount];
    float ambient[3] = {0.0f, 0.0f, 0.0f};
    float diffuse[3] = {0.0f, 0.0f, 0.0f};
    float specular[3] = {0.0f, 0.0f, 0.0f};
    float shininess = 0.0f;     // 0..1, through setShininess
    float transparency = 0.0f;  // 0..1, through setTransparency
    std::int32_t shading = 2;   // 0 wireframe, 1 flat, 2 Gouraud, 3 Phong, 4 metal

    // Store the value clamped to 0..1 (a NaN is kept as it is).
    void setShininess(float value);
    void setTransparency(float value);
};
