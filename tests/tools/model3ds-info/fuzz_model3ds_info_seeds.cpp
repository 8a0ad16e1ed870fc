// Writes the seed corpus of fuzz_model3ds_info into the folder given: the
// real 3DS files of assimp-testmodels and the sample scenes built in memory
// (which hold the lights and cameras the real files lack).
#include <fstream>
#include <iostream>

#include "tests/scene3ds/sample_scenes.h"
#include "tests/support/real_file_seeds.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: fuzz_model3ds_info-seeds CORPUS_DIR\n";
        return 2;
    }
    const std::filesystem::path corpus = argv[1];
    int written =
        tool_process::copyRealFiles(corpus, tool_process::kAssimpModels, {".3ds"}, 1 << 20);
    for (const auto& [name, bytes] : test3ds::sampleScenes()) {
        std::ofstream(corpus / ("seed-" + name), std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<long>(bytes.size()));
        ++written;
    }
    std::cout << "fuzz_model3ds_info-seeds: wrote " << written << " seeds\n";
    return 0;
}
