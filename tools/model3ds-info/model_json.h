#pragma once
// What model3ds-info prints for a loaded model: materials, meshes, lights,
// cameras, the frame count and the keyframe nodes, as one JSON object.
// Every name is turned into UTF-8 (name_text.h), so the object always
// serialises.
#include <nlohmann/json.hpp>
#include <string_view>

class Model3ds;

nlohmann::ordered_json describeModel(const Model3ds& model, std::string_view file);
