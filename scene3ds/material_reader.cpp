// Material entries (0xAFFF) and their texture maps.
#include <cstring>

#include "scene3ds/model3ds_loader.h"

namespace {
int mapSlotFor(std::uint16_t id) {
    switch (id) {
        case chunk3ds::kTextureMap1:
            return kTextureMap1;
        case chunk3ds::kTextureMap2:
            return kTextureMap2;
        case chunk3ds::kOpacityMap:
            return kOpacityMap;
        case chunk3ds::kBumpMap:
            return kBumpMap;
        case chunk3ds::kSpecularMap:
            return kSpecularMap;
        default:
            return -1;
    }
}
}  // namespace

bool Model3dsLoader::readMaterial(const ChunkSpan& chunk, Material3ds& material) {
    bool keep = true;
    seek(chunk.start);
    walkChildren(chunk, WalkForm::kNoEarlyStop, [&](const ChunkSpan& child) {
        switch (child.id) {
            case chunk3ds::kMaterialName: {
                char name[30] = {};
                readString(name, 30);
                material.setName(name);
                break;
            }
            case chunk3ds::kAmbient:
            case chunk3ds::kDiffuse:
            case chunk3ds::kSpecular: {
                float* target = child.id == chunk3ds::kAmbient   ? material.ambient
                                : child.id == chunk3ds::kDiffuse ? material.diffuse
                                                                 : material.specular;
                ChunkSpan value = readChunk();
                readColor(value, target);
                break;
            }
            case chunk3ds::kShininess:
                material.setShininess(readPercent(readChunk()));
                break;
            case chunk3ds::kTransparency:
                material.setTransparency(readPercent(readChunk()));
                break;
            case chunk3ds::kWireframe:
                material.shading = 0;
                break;
            case chunk3ds::kShading: {
                auto value = static_cast<std::int16_t>(readWord());
                if (value >= 0 && value <= 4) material.shading = value;
                break;
            }
            case chunk3ds::kReflectionMap: {
                TextureMap3ds& map = material.maps[kReflectionMap];
                ChunkSpan strength = readChunk();
                map.strength = readPercent(strength);
                seek(strength.end);
                ChunkSpan next = readChunk();
                if (next.id != chunk3ds::kMapFileName) {
                    keep = false;  // a reflection map without a file name drops the material
                    return false;
                }
                char name[30] = {};
                if (readString(name, 30) == 0) std::strcpy(map.fileName, "auto");
                break;
            }
            default: {
                int slot = mapSlotFor(child.id);
                if (slot >= 0) readTextureMap(child, material.maps[slot]);
                break;
            }
        }
        return true;
    });
    return keep;
}

void Model3dsLoader::readTextureMap(const ChunkSpan& chunk, TextureMap3ds& map) {
    seek(chunk.start);
    walkChildren(chunk, WalkForm::kNoEarlyStop, [&](const ChunkSpan& child) {
        switch (child.id) {
            case chunk3ds::kPercentInt:
                map.strength = readPercent(child);
                break;
            case chunk3ds::kMapFileName:
                readString(map.fileName, 20);
                break;
            case chunk3ds::kMapUScale:
                map.uScale = readFloat();
                break;
            case chunk3ds::kMapVScale:
                map.vScale = readFloat();
                break;
            case chunk3ds::kMapUOffset:
                map.uOffset = readFloat();
                break;
            case chunk3ds::kMapVOffset:
                map.vOffset = readFloat();
                break;
            case chunk3ds::kMapRotation:
                map.rotation = readFloat();
                break;
            default:
                break;
        }
        return true;
    });
}
