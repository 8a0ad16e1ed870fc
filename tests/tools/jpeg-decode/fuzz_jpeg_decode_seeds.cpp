// Writes the seed corpus of fuzz_jpeg_decode into the folder given: the real
// JPEG textures of assimp-testmodels of up to 64 KiB.
#include <iostream>

#include "tests/support/real_file_seeds.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: fuzz_jpeg_decode-seeds CORPUS_DIR\n";
        return 2;
    }
    const int written = tool_process::copyRealFiles(argv[1], tool_process::kAssimpModels,
                                                    {".jpg", ".jpeg"}, 64 * 1024);
    std::cout << "fuzz_jpeg_decode-seeds: wrote " << written << " seeds\n";
    return written > 0 ? 0 : 1;
}
