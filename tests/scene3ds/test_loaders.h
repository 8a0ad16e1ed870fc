#pragma once
// Loader helpers shared by the tests.
#include <cstdint>
#include <vector>

#include "scene3ds/model3ds_loader.h"

namespace test3ds {

// load() resets the model, and reset() sets buildMode to 2; a loader that
// builds differently overrides reset.
class LoaderWithMode : public Model3dsLoader {
  public:
    explicit LoaderWithMode(int mode) : mode_(mode) {}
    void reset() override {
        Model3dsLoader::reset();
        buildMode = mode_;
    }

  private:
    int mode_;
};

inline bool loadInto(Model3dsLoader& loader, const std::vector<std::uint8_t>& bytes) {
    return loader.loadBytes(bytes.data(), bytes.size());
}

}  // namespace test3ds
