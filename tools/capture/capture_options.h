#pragma once
#include <string>
#include <vector>

#include "sync/sync_track.h"

// What brontavik-capture was asked to do.
struct CaptureOptions {
    enum class Mode { None, Help, Version, Still, Frames, Video, Bench } mode = Mode::None;
    // How a video is encoded: H.264 and AAC in MP4, or FFV1 and FLAC in Matroska.
    enum class Format { H264, Lossless } format = Format::H264;
    double at = 0.0;  // --at: scene time of the one frame
    int fps = 60;     // --fps N or N/D: frames per second of demo time is fps / fpsDivisor
    int fpsDivisor = 1;
    std::string path;  // PNG file, frame folder or video file
    int width = 800;
    int height = 600;
    int supersample = 1;  // --supersample: render N times as wide and high, then filter down
    int jobs = 0;         // --jobs: render processes; 0 means one per core
    long first = 0;       // --range FIRST:LAST: frame numbers, both included; last -1 is the end
    long last = -1;
    std::string gl = "system";  // --gl: "system" (GL 1.x) or "layer" (fixed-function layer)
    // --tracks: a folder of sync editor tracks (sync_NAME.track) to shape the
    // show with, read at the row of each frame's demo time.
    std::string tracksFolder;
    // The show's tracks, read from tracksFolder by readCaptureTracks (none
    // keyed without it).
    std::vector<SyncTrack> tracks;
};

// Parses the command line; on a bad one returns false with `error` set, an
// error that names the argument at fault.
bool parseCaptureOptions(int argc, char** argv, CaptureOptions& options, std::string& error);

// Reads the tracks of --tracks into options.tracks (relative to the current
// folder); false with the file and the reason when the folder or a file
// cannot be read or a file is damaged.
bool readCaptureTracks(CaptureOptions& options, std::string& error);

// Parses the command line and answers a bad one, --help and --version
// itself (usage or version on the right stream). Returns the exit code when
// it did, -1 when there is work to do.
int takeCaptureOptions(int argc, char** argv, CaptureOptions& options);

inline constexpr const char* kCaptureUsage =
    "usage: brontavik-capture [OPTIONS] (--at SECONDS --png FILE | --frames DIR |\n"
    "                         --video FILE | --bench | --help | --version)\n"
    "  --at SECONDS --png FILE  one frame at that scene time, as PNG\n"
    "  --frames DIR             a numbered PNG sequence (frame00000.png, ...)\n"
    "  --video FILE             a video with the music (needs ffmpeg)\n"
    "  --bench                  render the show at 60 fps and print frame times\n"
    "  --fps N | N/D            frames per second, e.g. 60 or 60000/1001\n"
    "  --size WxH               frame size (default 800x600); the 4:3 picture is\n"
    "                           centred with black bars, never stretched\n"
    "  --preset 1080p|4k        1920x1080 or 3840x2160 at 60 fps, H.264 High + AAC\n"
    "  --preset lossless        FFV1 + FLAC in Matroska (.mkv)\n"
    "  --supersample N          render N times larger and filter down (1 to 4)\n"
    "  --jobs N                 render in N processes (default: one per core)\n"
    "  --range FIRST:LAST       only frames FIRST to LAST (numbered from 0)\n"
    "  --gl system|layer        draw with the system's GL 1.x (default) or with the\n"
    "                           fixed-function layer over OpenGL ES 3\n"
    "  --tracks DIR             shape the show with the sync editor's tracks in DIR\n"
    "                           (sync_NAME.track), read at each frame's demo time";
