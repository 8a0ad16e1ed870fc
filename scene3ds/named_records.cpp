#include "scene3ds/named_records.h"

NamedRecord::~NamedRecord() = default;

const char* NamedRecord::getName() const {
    return name.c_str();
}

void NamedRecord::setName(const char* newName) {
    name = newName ? newName : "";
}

namespace {
float clampUnit(float value) {
    if (value < 0.0f) return 0.0f;
    if (value > 1.0f) return 1.0f;
    return value;  // includes NaN, which fails both tests
}
}  // namespace

void Material3ds::setShininess(float value) {
    shininess = clampUnit(value);
}

void Material3ds::setTransparency(float value) {
    transparency = clampUnit(value);
}
