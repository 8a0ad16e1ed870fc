// Fuzz target: what model3ds-info runs on a file, from the bytes to the text
// it prints: the load (keyframes and mesh build included) and the JSON
// description, serialised. The JSON library throws on a string that is not
// UTF-8; an exception escaping here is a finding.
#include <cstddef>
#include <cstdint>
#include <string>

#include "scene3ds/model3ds_loader.h"
#include "tools/model3ds-info/model_json.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Model3dsLoader loader;
    if (!loader.loadBytes(data, size)) return 0;
    const std::string text = describeModel(loader, "fuzz.3ds").dump(2);
    if (text.empty()) __builtin_trap();
    return 0;
}
