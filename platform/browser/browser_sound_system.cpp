#include "platform/browser/browser_sound_system.h"

#include <emscripten/eventloop.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#define STB_VORBIS_HEADER_ONLY
#include <stb_vorbis.h>

#include "platform/browser/page_hooks.h"
#include "platform/browser/web_audio.h"

namespace platform {

struct BrowserSoundSystem::Sample {
    std::vector<unsigned char> bytes;  // the whole file; decoders read from it
    unsigned mode = 0;
};

struct BrowserSoundSystem::Voice {
    stb_vorbis* decoder = nullptr;
    int rate = 0;
    int channels = 0;
    std::uint32_t length = 0;    // frames
    std::uint32_t decoded = 0;   // next frame to decode
    std::uint32_t reported = 0;  // last position handed out
    bool active = false;
    bool paused = false;  // nothing scheduled; the position stands at `reported`
    std::vector<float> left, right;

    ~Voice() {
        if (decoder != nullptr) stb_vorbis_close(decoder);
    }
};

namespace {

void keepAheadTick(void* self) {
    static_cast<BrowserSoundSystem*>(self)->keepAhead();
}

constexpr const char* kReloadAdvice =
    "Reload the page; if this keeps happening, the show's files on this site may be damaged.";

bool readFile(const char* path, std::vector<unsigned char>& bytes) {
    std::FILE* file = std::fopen(path, "rb");
    if (file == nullptr) return false;
    unsigned char block[65536];
    std::size_t got = 0;
    while ((got = std::fread(block, 1, sizeof block, file)) > 0)
        bytes.insert(bytes.end(), block, block + got);
    const bool ok = std::ferror(file) == 0;
    std::fclose(file);
    return ok && !bytes.empty();
}

}  // namespace

void analyserToSpectrum(const float* decibels, float* bins) {
    for (int k = 0; k < kSpectrumBins; ++k) {
        const double db = decibels[k];
        bins[k] = std::isfinite(db)
                      ? static_cast<float>(std::pow(10.0, (db - kAnalyserFullScaleDecibels) / 20.0))
                      : 0.0f;
    }
}

BrowserSoundSystem::BrowserSoundSystem() = default;

BrowserSoundSystem::~BrowserSoundSystem() {
    close();
}

bool BrowserSoundSystem::init(int mixRate, int channels, unsigned /*flags*/) {
    // A page keeps playing whichever tab has the focus, which is what the
    // global-focus flag asks for.
    close();
    if (mixRate <= 0 || channels <= 0) return false;
    if (!webAudioOpen(mixRate)) {
        pageProblem("This browser offers no Web Audio, which the show needs for its music.",
                    "Open the page in a current Chrome, Edge, Firefox or Safari.");
        return false;
    }
    voices_.clear();
    for (int i = 0; i < channels; ++i) voices_.push_back(std::make_unique<Voice>());
    timer_ = emscripten_set_interval(&keepAheadTick, 200.0, this);
    open_ = true;
    return true;
}

SampleHandle BrowserSoundSystem::loadSample(int /*slot*/, const char* path, unsigned mode,
                                            int /*offset*/, int /*length*/) {
    if (!open_ || path == nullptr) return nullptr;
    auto sample = std::make_unique<Sample>();
    // The program ends without a word when its music is missing; the page
    // says why.
    const std::string file = std::string("The music (") + path + ")";
    if (!readFile(path, sample->bytes)) {
        pageProblem((file + " could not be read.").c_str(), kReloadAdvice);
        return nullptr;
    }
    // Checks the file is Vorbis now, as the desktop does when it opens it.
    int error = 0;
    stb_vorbis* probe = stb_vorbis_open_memory(
        sample->bytes.data(), static_cast<int>(sample->bytes.size()), &error, nullptr);
    if (probe == nullptr) {
        pageProblem(
            (file + " could not be decoded: it is not Ogg Vorbis, or it is damaged.").c_str(),
            kReloadAdvice);
        return nullptr;
    }
    stb_vorbis_close(probe);
    sample->mode = mode;
    samples_.push_back(std::move(sample));
    return samples_.back().get();
}

bool BrowserSoundSystem::setSampleMode(SampleHandle sample, unsigned mode) {
    if (sample == nullptr) return false;
    // Music plays once; looping is not offered by this layer.
    static_cast<Sample*>(sample)->mode = mode;
    return true;
}

int BrowserSoundSystem::playSound(int channel, SampleHandle handle) {
    if (!open_ || handle == nullptr) return -1;
    if (channel == kSoundFree) {
        for (std::size_t i = 0; i < voices_.size(); ++i) {
            if (!voices_[i]->active) {
                channel = static_cast<int>(i);
                break;
            }
        }
    }
    if (channel < 0 || channel >= static_cast<int>(voices_.size())) return -1;
    auto& sample = *static_cast<Sample*>(handle);
    auto voice = std::make_unique<Voice>();
    int error = 0;
    voice->decoder = stb_vorbis_open_memory(sample.bytes.data(),
                                            static_cast<int>(sample.bytes.size()), &error, nullptr);
    if (voice->decoder == nullptr) return -1;
    const stb_vorbis_info info = stb_vorbis_get_info(voice->decoder);
    voice->rate = static_cast<int>(info.sample_rate);
    voice->channels = info.channels;
    voice->length = stb_vorbis_stream_length_in_samples(voice->decoder);
    if (voice->rate <= 0 || voice->channels <= 0) return -1;
    stopVoice(*voices_[channel]);
    voices_[channel] = std::move(voice);
    Voice& v = *voices_[channel];
    v.active = true;
    webAudioStartVoice(channel, v.rate, 0.0, 1);
    keepAhead();
    return channel;
}

void BrowserSoundSystem::keepAhead() {
    for (std::size_t c = 0; c < voices_.size(); ++c) {
        Voice& v = *voices_[c];
        const int channel = static_cast<int>(c);
        while (v.active && !v.paused && v.decoded < v.length &&
               webAudioSecondsAhead(channel) < kSecondsAhead) {
            v.left.resize(kChunkFrames);
            v.right.resize(kChunkFrames);
            float* planes[2] = {v.left.data(), v.right.data()};
            // Planar float output: the first two channels of the file.
            const int frames = stb_vorbis_get_samples_float(v.decoder, std::min(v.channels, 2),
                                                            planes, kChunkFrames);
            if (frames <= 0) {
                v.length = v.decoded;  // the stream ends early: the sound is over there
                break;
            }
            webAudioQueue(channel, v.left.data(), v.channels > 1 ? v.right.data() : v.left.data(),
                          frames, static_cast<double>(v.decoded));
            v.decoded += static_cast<std::uint32_t>(frames);
        }
    }
}

BrowserSoundSystem::Voice* BrowserSoundSystem::playing(int channel) {
    if (!open_ || channel < 0 || channel >= static_cast<int>(voices_.size())) return nullptr;
    Voice* v = voices_[channel].get();
    return v->active ? v : nullptr;
}

void BrowserSoundSystem::stopVoice(Voice& voice) {
    if (!voice.active) return;
    voice.active = false;
    for (std::size_t c = 0; c < voices_.size(); ++c) {
        if (voices_[c].get() == &voice) webAudioStopVoice(static_cast<int>(c));
    }
}

std::uint32_t BrowserSoundSystem::currentPosition(int channel) {
    Voice* v = playing(channel);
    if (v == nullptr) return 0;
    if (v->paused) return v->reported;
    const double heard = std::clamp(webAudioPosition(channel), 0.0, static_cast<double>(v->length));
    v->reported = std::max(v->reported, static_cast<std::uint32_t>(heard));
    return v->reported;
}

int BrowserSoundSystem::frequency(int channel) {
    Voice* v = playing(channel);
    // Sound that cannot play counts as stopped: the clock runs on the timer.
    if (v == nullptr || webAudioFailed()) return 0;
    if (!v->paused && webAudioPosition(channel) >= static_cast<double>(v->length)) {
        // Everything was heard: the sound is over.
        stopVoice(*v);
        return 0;
    }
    return v->rate;
}

bool BrowserSoundSystem::setCurrentPosition(int channel, std::uint32_t frame) {
    Voice* v = playing(channel);
    if (v == nullptr) return false;
    frame = std::min(frame, v->length);
    if (!stb_vorbis_seek(v->decoder, frame)) return false;
    webAudioStopVoice(channel);
    v->decoded = frame;
    v->reported = frame;
    if (v->paused) return true;
    webAudioStartVoice(channel, v->rate, static_cast<double>(frame), 0);
    keepAhead();
    return true;
}

bool BrowserSoundSystem::setPaused(int channel, bool paused) {
    Voice* v = playing(channel);
    if (v == nullptr) return false;
    if (paused == v->paused) return true;
    if (paused) {
        // Held at what is being heard; what was queued beyond it is dropped
        // and decoded again on resuming.
        const std::uint32_t heard = currentPosition(channel);
        if (!stb_vorbis_seek(v->decoder, heard)) return false;
        webAudioStopVoice(channel);
        v->decoded = heard;
        v->paused = true;
        return true;
    }
    v->paused = false;
    webAudioStartVoice(channel, v->rate, static_cast<double>(v->reported), 0);
    keepAhead();
    return true;
}

bool BrowserSoundSystem::setVolume(int channel, int volume) {
    if (!open_) return false;
    const double gain = std::clamp(volume, 0, 255) / 255.0;
    if (channel == kSoundAllChannels) {
        for (std::size_t c = 0; c < voices_.size(); ++c) webAudioSetGain(static_cast<int>(c), gain);
        return true;
    }
    if (channel < 0 || channel >= static_cast<int>(voices_.size())) return false;
    webAudioSetGain(channel, gain);
    return true;
}

DspUnitHandle BrowserSoundSystem::fftUnit() {
    return open_ ? fftUnit_.data() : nullptr;
}

bool BrowserSoundSystem::setDspActive(DspUnitHandle unit, bool active) {
    if (unit == nullptr || unit != fftUnit_.data()) return false;
    fftActive_ = active;
    return true;
}

const float* BrowserSoundSystem::spectrum() {
    if (!open_ || !fftActive_) return silent_.data();
    float decibels[kSpectrumBins];
    if (!webAudioSpectrum(decibels)) return silent_.data();
    analyserToSpectrum(decibels, bins_.data());
    return bins_.data();
}

void BrowserSoundSystem::close() {
    if (!open_) return;
    emscripten_clear_interval(timer_);
    timer_ = 0;
    webAudioClose();
    voices_.clear();
    samples_.clear();
    fftActive_ = false;
    open_ = false;
}

SoundSystem& defaultSoundSystem() {
    static auto* system = new BrowserSoundSystem();
    return *system;
}

}  // namespace platform
