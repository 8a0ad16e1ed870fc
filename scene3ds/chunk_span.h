#pragma once
// A chunk of a 3DS file as the reader sees it, and the chunk identifiers the
// loader knows.
#include <cstdint>

struct ChunkSpan {
    std::uint16_t id = 0;
    std::uint32_t start = 0;  // first data byte, just after the 6-byte header
    std::uint32_t end = 0;    // just past the chunk: start + length - 6 (32-bit)
};

namespace chunk3ds {
constexpr std::uint16_t kColorFloat = 0x0010;
constexpr std::uint16_t kColor24 = 0x0011;
constexpr std::uint16_t kLinearColor24 = 0x0012;
constexpr std::uint16_t kLinearColorFloat = 0x0013;
constexpr std::uint16_t kPercentInt = 0x0030;
constexpr std::uint16_t kPercentFloat = 0x0031;

constexpr std::uint16_t kMain = 0x4D4D;
constexpr std::uint16_t kEditor = 0x3D3D;

constexpr std::uint16_t kMaterial = 0xAFFF;
constexpr std::uint16_t kMaterialName = 0xA000;
constexpr std::uint16_t kAmbient = 0xA010;
constexpr std::uint16_t kDiffuse = 0xA020;
constexpr std::uint16_t kSpecular = 0xA030;
constexpr std::uint16_t kShininess = 0xA040;
constexpr std::uint16_t kTransparency = 0xA050;
constexpr std::uint16_t kWireframe = 0xA085;
constexpr std::uint16_t kShading = 0xA100;
// Read by the scene extras only (the loader skips them).
constexpr std::uint16_t kShininessStrength = 0xA041;
constexpr std::uint16_t kTwoSided = 0xA081;
constexpr std::uint16_t kAdditive = 0xA083;
constexpr std::uint16_t kSelfIllumination = 0xA084;
constexpr std::uint16_t kWireSize = 0xA087;
constexpr std::uint16_t kMapTiling = 0xA351;
constexpr std::uint16_t kTextureMap1 = 0xA200;
constexpr std::uint16_t kTextureMap2 = 0xA33A;
constexpr std::uint16_t kOpacityMap = 0xA210;
constexpr std::uint16_t kReflectionMap = 0xA220;
constexpr std::uint16_t kBumpMap = 0xA230;
constexpr std::uint16_t kSpecularMap = 0xA204;
constexpr std::uint16_t kMapFileName = 0xA300;
constexpr std::uint16_t kMapUScale = 0xA354;
constexpr std::uint16_t kMapVScale = 0xA356;
constexpr std::uint16_t kMapUOffset = 0xA358;
constexpr std::uint16_t kMapVOffset = 0xA35A;
constexpr std::uint16_t kMapRotation = 0xA35C;

constexpr std::uint16_t kNamedObject = 0x4000;
constexpr std::uint16_t kHiddenObject = 0x4010;
constexpr std::uint16_t kAmbientLight = 0x2100;
constexpr std::uint16_t kTriangleMesh = 0x4100;
constexpr std::uint16_t kVertexList = 0x4110;
constexpr std::uint16_t kFaceList = 0x4120;
constexpr std::uint16_t kFaceMaterial = 0x4130;
constexpr std::uint16_t kSmoothingGroups = 0x4150;
constexpr std::uint16_t kTexCoords = 0x4140;
constexpr std::uint16_t kLocalAxes = 0x4160;
constexpr std::uint16_t kLight = 0x4600;
constexpr std::uint16_t kSpotlight = 0x4610;
constexpr std::uint16_t kLightInnerRange = 0x4659;
constexpr std::uint16_t kLightOuterRange = 0x465A;
constexpr std::uint16_t kCamera = 0x4700;
constexpr std::uint16_t kCameraRanges = 0x4720;

constexpr std::uint16_t kKeyframer = 0xB000;
constexpr std::uint16_t kObjectNode = 0xB002;
constexpr std::uint16_t kKeyframerSegment = 0xB008;
constexpr std::uint16_t kKeyframerHeader = 0xB00A;
constexpr std::uint16_t kNodeHeader = 0xB010;
constexpr std::uint16_t kPivot = 0xB013;
constexpr std::uint16_t kPositionTrack = 0xB020;
constexpr std::uint16_t kRotationTrack = 0xB021;
constexpr std::uint16_t kScaleTrack = 0xB022;
// Read by the scene extras only.
constexpr std::uint16_t kAmbientNode = 0xB001;
constexpr std::uint16_t kCameraNode = 0xB003;
constexpr std::uint16_t kCameraTargetNode = 0xB004;
constexpr std::uint16_t kLightNode = 0xB005;
constexpr std::uint16_t kSpotTargetNode = 0xB006;
constexpr std::uint16_t kSpotlightNode = 0xB007;
constexpr std::uint16_t kInstanceName = 0xB011;
constexpr std::uint16_t kFieldOfViewTrack = 0xB023;
constexpr std::uint16_t kRollTrack = 0xB024;
constexpr std::uint16_t kColorTrack = 0xB025;
constexpr std::uint16_t kMorphTrack = 0xB026;
constexpr std::uint16_t kHotspotTrack = 0xB027;
constexpr std::uint16_t kFalloffTrack = 0xB028;
constexpr std::uint16_t kHideTrack = 0xB029;
constexpr std::uint16_t kNodeId = 0xB030;
}  // namespace chunk3ds
