#include "tests/platform/sound/tone_files.h"

#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <numbers>
#include <stdexcept>

#include "platform/audio/vorbis_stream.h"
#include "tools/make-music/ogg_vorbis_writer.h"

namespace sound_test {

namespace {

// Made by the first test process and removed when it ends; death-test
// children find it through the environment and leave it alone.
struct Scratch {
    std::string path;
    bool owned = false;
    Scratch() {
        if (const char* inherited = std::getenv("BRONTAVIK_SOUND_SCRATCH")) {
            path = inherited;
            return;
        }
        path = (std::filesystem::temp_directory_path() /
                ("brontavik-sound-test-" + std::to_string(::getpid())))
                   .string();
        std::filesystem::create_directories(path);
        setenv("BRONTAVIK_SOUND_SCRATCH", path.c_str(), 1);
        owned = true;
    }
    ~Scratch() {
        std::error_code ignored;
        if (owned) std::filesystem::remove_all(path, ignored);
    }
};

}  // namespace

std::string scratchDir() {
    static const Scratch scratch;
    return scratch.path;
}

std::string writeTone(const std::string& name, double seconds, int rate, int channels,
                      const std::function<float(int, double)>& signal) {
    auto frames = static_cast<std::size_t>(seconds * rate);
    std::vector<float> samples(frames * static_cast<std::size_t>(channels));
    for (std::size_t i = 0; i < frames; ++i) {
        for (int c = 0; c < channels; ++c) {
            samples[i * channels + c] = signal(c, static_cast<double>(i) / rate);
        }
    }
    music::VorbisEncoding encoding;
    encoding.rate = rate;
    encoding.channels = channels;
    encoding.quality = 0.6f;
    std::string path = scratchDir() + "/" + name;
    if (!music::writeOggVorbis(path, samples.data(), frames, encoding)) {
        throw std::runtime_error("cannot write " + path);
    }
    return path;
}

std::string writeSine(const std::string& name, double seconds, double hz, double amplitude,
                      int rate, int channels) {
    return writeTone(name, seconds, rate, channels, [=](int, double t) {
        return static_cast<float>(amplitude * std::sin(2.0 * std::numbers::pi * hz * t));
    });
}

std::vector<float> decodeAll(const std::string& path, int* rate) {
    auto stream = platform::VorbisStream::openFile(path.c_str());
    if (!stream) throw std::runtime_error("cannot decode " + path);
    if (rate != nullptr) *rate = stream->sampleRate();
    std::vector<float> all;
    std::vector<float> block(2 * 4096);
    while (std::size_t n = stream->read(block.data(), 4096)) {
        all.insert(all.end(), block.begin(), block.begin() + 2 * static_cast<long>(n));
    }
    return all;
}

int peakBin(const float* bins, int count) {
    int best = 0;
    for (int i = 1; i < count; ++i) {
        if (bins[i] > bins[best]) best = i;
    }
    return best;
}

}  // namespace sound_test
