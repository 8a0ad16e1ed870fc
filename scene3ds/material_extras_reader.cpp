// A material chunk's properties that the loader's model does not hold.
#include <algorithm>
#include <cmath>

#include "scene3ds/extras_reading.h"

namespace extras_reading {

namespace {

// The percentage in the first child of a property chunk, within 0..1; 0
// for anything else.
float readPercentChild(Model3dsLoader& reader, const ChunkSpan& property) {
    float value = 0.0f;
    forEachChild(reader, property, property.start, [&](const ChunkSpan& child) {
        if (child.id == chunk3ds::kPercentInt || child.id == chunk3ds::kPercentFloat)
            value = reader.readPercent(child);
    });
    return std::isfinite(value) ? std::clamp(value, 0.0f, 1.0f) : 0.0f;
}

int mapSlot(std::uint16_t id) {
    switch (id) {
        case chunk3ds::kTextureMap1:
            return 0;
        case chunk3ds::kTextureMap2:
            return 1;
        case chunk3ds::kOpacityMap:
            return 2;
        case chunk3ds::kReflectionMap:
            return 3;
        case chunk3ds::kBumpMap:
            return 4;
        case chunk3ds::kSpecularMap:
            return 5;
        default:
            return -1;
    }
}

}  // namespace

MaterialExtras readMaterialExtras(Model3dsLoader& reader, const ChunkSpan& material) {
    MaterialExtras extras;
    forEachChild(reader, material, material.start, [&](const ChunkSpan& child) {
        reader.seek(child.start);
        switch (child.id) {
            case chunk3ds::kMaterialName:
                extras.name = readName(reader, 30);  // the loader's length
                break;
            case chunk3ds::kSelfIllumination:
                extras.selfIllumination = readPercentChild(reader, child);
                break;
            case chunk3ds::kShininessStrength:
                extras.shininessStrength = readPercentChild(reader, child);
                break;
            case chunk3ds::kTwoSided:
                extras.twoSided = true;
                break;
            case chunk3ds::kWireframe:
                extras.wire = true;
                break;
            case chunk3ds::kAdditive:
                extras.additive = true;
                break;
            case chunk3ds::kWireSize: {
                if (!holds(child, 4)) break;
                const float size = reader.readFloat();
                if (std::isfinite(size) && size > 0.0f) extras.wireSize = std::min(size, 64.0f);
                break;
            }
            default:
                if (const int slot = mapSlot(child.id); slot >= 0) {
                    forEachChild(reader, child, child.start, [&](const ChunkSpan& part) {
                        if (part.id != chunk3ds::kMapTiling || !holds(part, 2)) return;
                        reader.seek(part.start);
                        extras.mapTiling[slot] = reader.readWord();
                    });
                }
                break;
        }
    });
    return extras;
}

}  // namespace extras_reading
