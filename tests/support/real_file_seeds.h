#pragma once
// Seeds real files into a fuzz corpus: every file under a folder with one of
// the given extensions, up to a size (large inputs make slow fuzzing).
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/tool_process.h"

namespace tool_process {

inline int copyRealFiles(const std::filesystem::path& corpus, const std::string& folder,
                         const std::vector<std::string>& extensions, std::uintmax_t maxBytes) {
    namespace fs = std::filesystem;
    fs::create_directories(corpus);
    int copied = 0;
    for (const std::string& file : filesWithExtension(folder, extensions)) {
        std::error_code error;
        const std::uintmax_t size = fs::file_size(file, error);
        if (error || size == 0 || size > maxBytes) continue;
        // Folder and name, so same-named files of different models both stay.
        const fs::path path(file);
        const std::string name =
            "real-" + path.parent_path().filename().string() + "-" + path.filename().string();
        fs::copy_file(file, corpus / name, fs::copy_options::overwrite_existing, error);
        if (!error) ++copied;
    }
    return copied;
}

}  // namespace tool_process
