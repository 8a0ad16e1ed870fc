#include "tools/capture/show_inputs.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "texturing/texture_slots.h"

bool inputsReadable(bool withMusic, std::string& error) {
    std::vector<const char*> files = {kFilmTextureFile,       "textures/blob41bc.jpg",
                                      "textures/clouds4.jpg", "textures/clouds4a.jpg",
                                      "textures/codergr.jpg", "textures/merry.jpg"};
    if (withMusic) files.push_back("music/music.ogg");
    for (const char* file : files) {
        std::FILE* f = std::fopen(file, "rb");
        if (f == nullptr) {
            error = std::string("cannot read ") + file + ": " + std::strerror(errno) +
                    " (the show's data folder is incomplete; rebuild or reinstall)";
            return false;
        }
        std::fclose(f);
    }
    return true;
}
