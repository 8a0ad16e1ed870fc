// Writes the seed corpus of fuzz_3ds into the folder given as the argument:
// the sample scenes built in memory, and the sphere and torus converted to
// 3DS by assimp when its command-line tool is there.
#include <filesystem>
#include <fstream>
#include <iostream>

#include "tests/scene3ds/obj_shapes.h"
#include "tests/scene3ds/sample_scenes.h"

namespace fs = std::filesystem;

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: fuzz_3ds-seeds CORPUS_DIR\n";
        return 1;
    }
    fs::path corpus = argv[1];
    fs::create_directories(corpus);
    int written = 0;
    for (const auto& [name, bytes] : test3ds::sampleScenes()) {
        std::ofstream(corpus / ("seed-" + name), std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<long>(bytes.size()));
        ++written;
    }
    fs::path work = fs::temp_directory_path() / "fuzz_3ds_seeds";
    for (const fs::path& file : test3ds::writeRoundTripFiles(work)) {
        fs::copy_file(file, corpus / ("seed-assimp-" + file.filename().string()),
                      fs::copy_options::overwrite_existing);
        ++written;
    }
    fs::remove_all(work);
    std::cout << "fuzz_3ds-seeds: wrote " << written << " seeds\n";
    return 0;
}
