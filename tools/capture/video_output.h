#pragma once
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// Pipes RGBA frames to the ffmpeg program, which encodes them as H.264 with
// the music muxed in and faded out where the show fades.
class VideoOutput {
  public:
    ~VideoOutput();
    bool open(const std::string& path, int width, int height, int fps, double fadeStart,
              double fadeSeconds, std::string& error);
    bool write(const std::vector<std::uint8_t>& rgba);
    // Finishes the file; false when ffmpeg reported a failure.
    bool close();

  private:
    std::FILE* pipe_ = nullptr;
};
