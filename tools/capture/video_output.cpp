#include "tools/capture/video_output.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

namespace {

// Quotes a path for the shell.
std::string quoted(const std::string& text) {
    std::string out = "'";
    for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

}  // namespace

VideoOutput::~VideoOutput() {
    close();
}

bool VideoOutput::open(const std::string& path, int width, int height, int fps, double fadeStart,
                       double fadeSeconds, std::string& error) {
    if (std::system("command -v ffmpeg >/dev/null 2>&1") != 0) {
        error = "the ffmpeg program is not installed";
        return false;
    }
    if (access("music/music.ogg", R_OK) != 0) {
        error = "music/music.ogg is missing (run from build/bin)";
        return false;
    }
    char filter[160];
    std::snprintf(filter, sizeof filter, "afade=t=out:st=%.6f:d=%.6f", fadeStart, fadeSeconds);
    const std::string command =
        "ffmpeg -y -loglevel error -f rawvideo -pix_fmt rgba -s " + std::to_string(width) + "x" +
        std::to_string(height) + " -r " + std::to_string(fps) +
        " -i - -i music/music.ogg -map 0:v -map 1:a -af " + filter +
        " -c:v libx264 -preset veryfast -crf 18 -pix_fmt yuv420p -c:a aac -b:a 192k -shortest " +
        quoted(path);
    pipe_ = popen(command.c_str(), "w");
    if (pipe_ == nullptr) {
        error = "cannot start ffmpeg";
        return false;
    }
    return true;
}

bool VideoOutput::write(const std::vector<std::uint8_t>& rgba) {
    return pipe_ != nullptr && std::fwrite(rgba.data(), 1, rgba.size(), pipe_) == rgba.size();
}

bool VideoOutput::close() {
    if (pipe_ == nullptr) return true;
    const int status = pclose(pipe_);
    pipe_ = nullptr;
    return status != -1 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}
