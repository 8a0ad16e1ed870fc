#include "tools/capture/show_folder.h"

#include <filesystem>
#include <system_error>

#include "tools/capture/capture_system.h"

namespace fs = std::filesystem;

namespace {
// The installed data folder seen from the installed bin folder (set by the build).
const fs::path kDataFromBinDir = BRONTAVIK_DATA_FROM_BIN_DIR;
}  // namespace

bool enterShowFolder(std::string& path, std::string& error) {
    std::error_code ec;
    const fs::path self = thisProgramFile(error);
    if (self.empty()) return false;
    const fs::path here = self.parent_path();
    for (const fs::path& folder : {here, here / kDataFromBinDir}) {
        if (!fs::is_directory(folder / "textures", ec)) continue;
        if (!path.empty()) path = fs::absolute(path, ec).string();
        fs::current_path(folder, ec);
        if (ec) {
            error = "cannot enter " + folder.string() + ": " + ec.message();
            return false;
        }
        return true;
    }
    error = "the show's textures/ is neither in " + here.string() + " nor in " +
            (here / kDataFromBinDir).lexically_normal().string();
    return false;
}
