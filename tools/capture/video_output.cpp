#include "tools/capture/video_output.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

extern char** environ;

namespace {

std::string decimal(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.6f", value);
    return text;
}

}  // namespace

std::vector<std::string> encoderArguments(const VideoSettings& s) {
    std::vector<std::string> a = {
        "ffmpeg",
        "-nostdin",
        "-y",
        "-loglevel",
        "error",
        "-f",
        "rawvideo",
        "-pix_fmt",
        "bgr0",
        "-s",
        std::to_string(s.pictureWidth) + "x" + std::to_string(s.pictureHeight),
        "-framerate",
        std::to_string(s.rate.fps) + "/" + std::to_string(s.rate.divisor),
        "-i",
        "pipe:0"};
    if (s.withMusic) {
        // The music from the span's first frame on, faded where the picture
        // fades, and padded with silence should it end before the picture.
        a.insert(a.end(),
                 {"-i", "music/music.ogg", "-map", "0:v", "-map", "1:a", "-af",
                  "afade=t=out:st=" + decimal(s.fadeStart) + ":d=" + decimal(s.fadeSeconds) +
                      ",atrim=start=" + decimal(s.startTime) + ",asetpts=PTS-STARTPTS,apad",
                  "-shortest"});
    } else {
        a.push_back("-an");
    }
    const std::string pad = "pad=" + std::to_string(s.width) + ":" + std::to_string(s.height) +
                            ":" + std::to_string(s.pictureX) + ":" + std::to_string(s.pictureY) +
                            ":black";
    if (s.lossless) {
        // Lossless RGB: the file decodes back to exactly the rendered frames.
        a.insert(a.end(), {"-c:v", "ffv1", "-level", "3", "-slices", "4", "-slicecrc", "1", "-g",
                           "1", "-vf", pad, "-pix_fmt", "bgr0", "-f", "matroska"});
        if (s.withMusic) a.insert(a.end(), {"-c:a", "flac"});
    } else {
        // The grain tuning keeps the film grain, which dithers the dark sky:
        // smoothed away, the sky would show bands.
        a.insert(a.end(), {"-vf",
                           "scale=out_color_matrix=bt709:out_range=tv,format=yuv420p," + pad,
                           "-c:v",
                           "libx264",
                           "-profile:v",
                           "high",
                           "-preset",
                           "veryfast",
                           "-tune",
                           "grain",
                           "-crf",
                           "17",
                           "-color_primaries",
                           "bt709",
                           "-color_trc",
                           "bt709",
                           "-colorspace",
                           "bt709",
                           "-color_range",
                           "tv",
                           "-movflags",
                           "+faststart",
                           "-f",
                           "mp4"});
        if (s.withMusic) a.insert(a.end(), {"-c:a", "aac", "-b:a", "256k"});
    }
    a.push_back(s.path);
    return a;
}

VideoOutput::~VideoOutput() {
    std::string ignored;
    close(ignored);
}

bool VideoOutput::open(const VideoSettings& settings, std::string& error) {
    const std::vector<std::string> arguments = encoderArguments(settings);
    std::vector<char*> argv;
    for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);

    int pipeEnds[2];
    if (pipe2(pipeEnds, O_CLOEXEC) != 0) {
        error = std::string("cannot make a pipe for ffmpeg: ") + std::strerror(errno);
        return false;
    }
    log_ = std::tmpfile();
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_adddup2(&files, pipeEnds[0], STDIN_FILENO);
    if (log_ != nullptr) posix_spawn_file_actions_adddup2(&files, fileno(log_), STDERR_FILENO);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setpgroup(&attributes, 0);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    sigaddset(&defaults, SIGINT);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGDEF);
    const int result = posix_spawnp(&pid_, "ffmpeg", &files, &attributes, argv.data(), environ);
    posix_spawn_file_actions_destroy(&files);
    posix_spawnattr_destroy(&attributes);
    ::close(pipeEnds[0]);
    if (result != 0) {
        ::close(pipeEnds[1]);
        pid_ = -1;
        error = result == ENOENT ? "the ffmpeg program is not installed"
                                 : std::string("cannot start ffmpeg: ") + std::strerror(result);
        return false;
    }
    input_ = pipeEnds[1];
    return true;
}

bool VideoOutput::close(std::string& error) {
    if (pid_ < 0) return true;
    ::close(input_);
    input_ = -1;
    int status = 0;
    rusage usage{};
    pid_t done;
    do {
        done = wait4(pid_, &status, 0, &usage);
    } while (done < 0 && errno == EINTR);
    pid_ = -1;
    cpuSeconds_ = usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
                  (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    if (done < 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        error = reason(WIFSIGNALED(status)
                           ? "ffmpeg was killed by signal " + std::to_string(WTERMSIG(status))
                           : "ffmpeg failed");
        return false;
    }
    if (log_ != nullptr) std::fclose(log_);
    log_ = nullptr;
    return true;
}

std::string VideoOutput::reason(const std::string& what) {
    // ffmpeg's last lines say why.
    std::string text;
    if (log_ != nullptr) {
        std::fflush(log_);
        std::rewind(log_);
        char line[512];
        while (std::fgets(line, sizeof line, log_) != nullptr) text = line;
    }
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    return text.empty() ? what : what + ": " + text;
}
