#pragma once
#include <sys/types.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "runtime/driver/frame_clock.h"

// What a video holds and how it is encoded.
struct VideoSettings {
    std::string path;
    int width = 0;
    int height = 0;
    // Frames come as the 4:3 picture alone; ffmpeg puts it here in the frame,
    // with black around it.
    int pictureX = 0;
    int pictureY = 0;
    int pictureWidth = 0;
    int pictureHeight = 0;
    FrameRate rate;
    bool lossless = false;  // FFV1 + FLAC in Matroska; otherwise H.264 High + AAC in MP4
    bool withMusic = true;
    double startTime = 0.0;  // demo time of the first frame: where the music starts
    double fadeStart = 0.0;  // where the music fades out with the picture, seconds
    double fadeSeconds = 0.0;
};

// The ffmpeg program's arguments for these settings, frames coming as raw
// BGRA on its standard input.
std::vector<std::string> encoderArguments(const VideoSettings& settings);

// Starts the ffmpeg program, which takes BGRA frames on input(). ffmpeg runs in its own process
// group, so Ctrl-C at the terminal reaches only this program, which then
// closes the pipe and lets ffmpeg finish a playable file.
class VideoOutput {
  public:
    ~VideoOutput();
    bool open(const VideoSettings& settings, std::string& error);
    // Finishes the file; false with ffmpeg's own reason when it failed.
    bool close(std::string& error);
    // ffmpeg's standard input, for frames moved there by splice.
    int input() const { return input_; }
    // Processor time ffmpeg used, known once it is closed.
    double cpuSeconds() const { return cpuSeconds_; }

  private:
    std::string reason(const std::string& what);

    pid_t pid_ = -1;
    int input_ = -1;
    std::FILE* log_ = nullptr;  // ffmpeg's standard error
    double cpuSeconds_ = 0.0;
};
