#include "platform/win32/audio_device.h"

// windows.h first: the COM audio headers build on it.
// clang-format off
#include <windows.h>
#include <audioclient.h>
#include <mmdeviceapi.h>
// clang-format on

#include <algorithm>
#include <cstdio>

namespace platform {
namespace {

// What the device is asked to buffer, in 100 ns units: 100 ms, ten times the
// thread's feeding step, so a busy machine does not starve it. Positions come
// from the device's clock, so on Windows the buffer's length does not show in
// them; Wine over PulseAudio hands the whole buffer on at once yet counts it
// unplayed, so there the music is heard up to this much ahead of the clock.
constexpr REFERENCE_TIME kBufferDuration = 1'000'000;
// How often the thread looks for another default device, and, while there
// is none, for a device at all; and how long a device may stand still with
// sound queued before it counts as gone.
constexpr double kDefaultCheckSeconds = 0.5;
constexpr double kRetrySeconds = 1.0;
constexpr double kStallSeconds = 1.5;

template <typename T>
void release(T*& object) {
    if (object != nullptr) object->Release();
    object = nullptr;
}

std::int64_t counterNow() {
    LARGE_INTEGER count;
    QueryPerformanceCounter(&count);
    return count.QuadPart;
}

std::int64_t counterFrequency() {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return frequency.QuadPart;
}

std::string narrow(const std::wstring& text) {
    const int bytes =
        WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    if (bytes <= 1) return {};
    std::string out(static_cast<std::size_t>(bytes - 1), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, out.data(), bytes, nullptr, nullptr);
    return out;
}

// The default output device's identifier, or "" when there is none.
std::wstring defaultDeviceId(IMMDeviceEnumerator* enumerator) {
    IMMDevice* device = nullptr;
    if (FAILED(enumerator->GetDefaultAudioEndpoint(eRender, eConsole, &device))) return {};
    std::wstring id;
    LPWSTR text = nullptr;
    if (SUCCEEDED(device->GetId(&text))) {
        id = text;
        CoTaskMemFree(text);
    }
    device->Release();
    return id;
}

}  // namespace

// One opened output device: its client, where it sits on the timeline and
// its clock.
struct AudioDevice::Endpoint {
    IMMDevice* device = nullptr;
    IAudioClient* client = nullptr;
    IAudioRenderClient* render = nullptr;
    IAudioClock* clock = nullptr;
    UINT32 bufferFrames = 0;
    UINT64 clockFrequency = 0;
    std::wstring id;
    std::int64_t base = 0;  // timeline frame of the device's first frame
    bool started = false;
    std::int64_t lastPosition = -1;  // device frames played at the last reading
    std::int64_t movedAt = 0;        // counter time the position last moved

    ~Endpoint() {
        if (client != nullptr && started) client->Stop();
        release(clock);
        release(render);
        release(client);
        release(device);
    }

    // Opens the default device for 16-bit stereo at `rate`, letting the
    // system convert to its own mix format where it offers to.
    bool open(IMMDeviceEnumerator* enumerator, int rate) {
        if (FAILED(enumerator->GetDefaultAudioEndpoint(eRender, eConsole, &device))) return false;
        LPWSTR text = nullptr;
        if (SUCCEEDED(device->GetId(&text))) {
            id = text;
            CoTaskMemFree(text);
        }
        WAVEFORMATEX format{};
        format.wFormatTag = WAVE_FORMAT_PCM;
        format.nChannels = 2;
        format.nSamplesPerSec = static_cast<DWORD>(rate);
        format.wBitsPerSample = 16;
        format.nBlockAlign = 4;
        format.nAvgBytesPerSec = format.nSamplesPerSec * format.nBlockAlign;
        const DWORD flagChoices[] = {
            AUDCLNT_STREAMFLAGS_AUTOCONVERTPCM | AUDCLNT_STREAMFLAGS_SRC_DEFAULT_QUALITY, 0};
        bool initialised = false;
        for (DWORD flags : flagChoices) {
            release(client);
            if (FAILED(device->Activate(__uuidof(IAudioClient), CLSCTX_ALL, nullptr,
                                        reinterpret_cast<void**>(&client))))
                return false;
            if (SUCCEEDED(client->Initialize(AUDCLNT_SHAREMODE_SHARED, flags, kBufferDuration, 0,
                                             &format, nullptr))) {
                initialised = true;
                break;
            }
        }
        return initialised && SUCCEEDED(client->GetBufferSize(&bufferFrames)) &&
               SUCCEEDED(client->GetService(__uuidof(IAudioRenderClient),
                                            reinterpret_cast<void**>(&render))) &&
               SUCCEEDED(
                   client->GetService(__uuidof(IAudioClock), reinterpret_cast<void**>(&clock))) &&
               SUCCEEDED(clock->GetFrequency(&clockFrequency)) && clockFrequency > 0 &&
               bufferFrames >= static_cast<UINT32>(kBlockFrames);
    }
};

AudioDevice::~AudioDevice() {
    stop();
}

bool AudioDevice::start(SoundMixer& mixer) {
    stop();
    mixer_ = &mixer;
    counterFrequency_ = counterFrequency();
    {
        std::lock_guard lock(mutex_);
        blocks_.clear();
        written_ = readFrame_ = lastHeard_ = 0;
        readCounter_ = counterNow();
        heardEnd_.assign(static_cast<std::size_t>(mixer.channelCount()), 0);
        movedMark_.assign(static_cast<std::size_t>(mixer.channelCount()), 0);
        onTimer_ = false;
    }
    stopEvent_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    running_ = true;
    std::promise<bool> opened;
    std::future<bool> result = opened.get_future();
    thread_ = std::thread(&AudioDevice::run, this, std::move(opened));
    if (result.get()) return true;
    stop();
    return false;
}

void AudioDevice::stop() {
    running_ = false;
    if (stopEvent_ != nullptr) SetEvent(stopEvent_);
    if (thread_.joinable()) thread_.join();
    if (stopEvent_ != nullptr) CloseHandle(stopEvent_);
    stopEvent_ = nullptr;
}

void AudioDevice::run(std::promise<bool> opened) {
    // The thread that feeds the device comes before the drawing.
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_TIME_CRITICAL);
    const bool com = SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED));
    IMMDeviceEnumerator* enumerator = nullptr;
    CoCreateInstance(__uuidof(MMDeviceEnumerator), nullptr, CLSCTX_ALL,
                     __uuidof(IMMDeviceEnumerator), reinterpret_cast<void**>(&enumerator));
    const int rate = mixer_->mixRate();

    auto endpoint = std::make_unique<Endpoint>();
    if (enumerator == nullptr || !endpoint->open(enumerator, rate)) {
        endpoint.reset();
        release(enumerator);
        if (com) CoUninitialize();
        opened.set_value(false);
        return;
    }
    {
        std::lock_guard lock(mutex_);
        deviceName_ = narrow(endpoint->id);
    }
    opened.set_value(true);

    const auto seconds = [this](double s) {
        return static_cast<std::int64_t>(s * static_cast<double>(counterFrequency_));
    };
    std::int64_t nextCheck = counterNow() + seconds(kDefaultCheckSeconds);
    endpoint->movedAt = counterNow();
    while (running_.load()) {
        WaitForSingleObject(stopEvent_, 5);
        if (!running_.load()) break;
        const std::int64_t now = counterNow();

        if (endpoint == nullptr) {
            feedTimer();
            if (now < nextCheck) continue;
            nextCheck = now + seconds(kRetrySeconds);
            auto next = std::make_unique<Endpoint>();
            if (!next->open(enumerator, rate)) continue;
            const std::int64_t heard = heardFrame();
            rewindTo(heard);
            next->base = heard;
            next->movedAt = now;
            endpoint = std::move(next);
            std::lock_guard lock(mutex_);
            onTimer_ = false;
            deviceName_ = narrow(endpoint->id);
            std::fprintf(stderr, "sound: playing on %s\n", deviceName_.c_str());
            continue;
        }

        // Feed the device, read its clock; a failure, a device that has
        // stood still with sound queued, or another default device ends
        // this one.
        bool lost = false;
        UINT32 padding = 0;
        UINT64 position = 0, positionTime = 0;
        if (FAILED(endpoint->client->GetCurrentPadding(&padding)) ||
            FAILED(endpoint->clock->GetPosition(&position, &positionTime))) {
            lost = true;
        } else {
            std::int64_t played =
                static_cast<std::int64_t>(static_cast<double>(position) * rate /
                                          static_cast<double>(endpoint->clockFrequency));
            std::lock_guard lock(mutex_);
            played = std::min(played, written_ - endpoint->base);
            if (played != endpoint->lastPosition) endpoint->movedAt = now;
            endpoint->lastPosition = played;
            readFrame_ = endpoint->base + played;
            readCounter_ = now;
            lost = endpoint->started && written_ > readFrame_ &&
                   now - endpoint->movedAt > seconds(kStallSeconds);
        }
        if (!lost) {
            UINT32 space = endpoint->bufferFrames - std::min(padding, endpoint->bufferFrames);
            while (space >= static_cast<UINT32>(kBlockFrames)) {
                BYTE* data = nullptr;
                if (FAILED(endpoint->render->GetBuffer(kBlockFrames, &data))) {
                    lost = true;
                    break;
                }
                mixBlock(reinterpret_cast<std::int16_t*>(data));
                endpoint->render->ReleaseBuffer(kBlockFrames, 0);
                space -= kBlockFrames;
            }
            if (!lost && !endpoint->started) {
                endpoint->started = SUCCEEDED(endpoint->client->Start());
                endpoint->movedAt = now;
                lost = !endpoint->started;
            }
        }
        if (!lost && now >= nextCheck) {
            nextCheck = now + seconds(kDefaultCheckSeconds);
            lost = defaultDeviceId(enumerator) != endpoint->id;
        }
        if (!lost) continue;

        // Go on from the last frame the old device played.
        const std::int64_t heard = [&] {
            std::lock_guard lock(mutex_);
            return std::max(readFrame_, lastHeard_);
        }();
        endpoint.reset();
        rewindTo(heard);
        auto next = std::make_unique<Endpoint>();
        if (next->open(enumerator, rate)) {
            next->base = heard;
            next->movedAt = now;
            endpoint = std::move(next);
            std::lock_guard lock(mutex_);
            deviceName_ = narrow(endpoint->id);
            std::fprintf(stderr, "sound: playing on %s\n", deviceName_.c_str());
        } else {
            std::lock_guard lock(mutex_);
            onTimer_ = true;
            timerBase_ = heard;
            timerStart_ = now;
            deviceName_.clear();
            nextCheck = now + seconds(kRetrySeconds);
            std::fprintf(stderr, "sound: no audio device; the show goes on on the timer\n");
        }
    }
    endpoint.reset();
    release(enumerator);
    if (com) CoUninitialize();
}

void AudioDevice::mixBlock(std::int16_t* out) {
    const std::int64_t nanos = static_cast<std::int64_t>(static_cast<double>(counterNow()) * 1e9 /
                                                         static_cast<double>(counterFrequency_));
    mixer_->mix(out, kBlockFrames, nanos);
    Block block;
    block.frames = kBlockFrames;
    block.spans = mixer_->lastSpans();
    std::lock_guard lock(mutex_);
    block.deviceStart = written_;
    written_ += kBlockFrames;
    blocks_.push_back(std::move(block));
}

void AudioDevice::feedTimer() {
    std::vector<std::int16_t> scratch(2 * kBlockFrames);
    const std::int64_t heard = heardFrame();
    for (;;) {
        {
            std::lock_guard lock(mutex_);
            if (written_ >= heard + 2 * kBlockFrames) return;
        }
        mixBlock(scratch.data());
    }
}

std::int64_t AudioDevice::heardFrame() {
    std::lock_guard lock(mutex_);
    const std::int64_t now = counterNow();
    const double rate = mixer_->mixRate();
    std::int64_t heard = 0;
    if (onTimer_) {
        heard = timerBase_ + static_cast<std::int64_t>(static_cast<double>(now - timerStart_) *
                                                       rate / counterFrequency_);
    } else {
        // Carried on from the last reading for at most 50 ms.
        const double since =
            std::min(static_cast<double>(now - readCounter_) / counterFrequency_, 0.05);
        heard = readFrame_ + static_cast<std::int64_t>(since * rate);
        heard = std::min(heard, written_);
    }
    lastHeard_ = std::max(lastHeard_, heard);
    return lastHeard_;
}

std::int64_t AudioDevice::heardPosition(int channel) {
    const std::int64_t heard = heardFrame();
    std::lock_guard lock(mutex_);
    return positionAt(channel, heard);
}

std::int64_t AudioDevice::positionAt(int channel, std::int64_t heard) {
    if (channel < 0 || channel >= static_cast<int>(heardEnd_.size())) return 0;
    const auto c = static_cast<std::size_t>(channel);
    // Blocks heard whole leave only the end of what they carried.
    while (!blocks_.empty() && blocks_.front().deviceStart + blocks_.front().frames <= heard) {
        const Block& block = blocks_.front();
        for (const auto& span : block.spans) {
            const auto s = static_cast<std::size_t>(span.channel);
            if (s < heardEnd_.size() && block.deviceStart >= movedMark_[s]) heardEnd_[s] = span.end;
        }
        blocks_.pop_front();
    }
    if (!blocks_.empty() && blocks_.front().deviceStart <= heard &&
        blocks_.front().deviceStart >= movedMark_[c]) {
        const Block& block = blocks_.front();
        for (const auto& span : block.spans) {
            if (span.channel != channel) continue;
            const std::int64_t into = heard - block.deviceStart;
            return span.first + (span.end - span.first) * into / block.frames;
        }
    }
    return heardEnd_[c];
}

void AudioDevice::channelMoved(int channel, std::int64_t frame) {
    std::lock_guard lock(mutex_);
    if (channel < 0 || channel >= static_cast<int>(heardEnd_.size())) return;
    heardEnd_[static_cast<std::size_t>(channel)] = frame;
    movedMark_[static_cast<std::size_t>(channel)] = written_;
}

void AudioDevice::rewindTo(std::int64_t frame) {
    std::vector<std::int64_t> positions(heardEnd_.size(), -1);
    {
        std::lock_guard lock(mutex_);
        for (std::size_t c = 0; c < positions.size(); ++c) {
            if (mixer_->frequency(static_cast<int>(c)) > 0)
                positions[c] = positionAt(static_cast<int>(c), frame);
        }
        while (!blocks_.empty() && blocks_.back().deviceStart >= frame) blocks_.pop_back();
        if (!blocks_.empty()) {
            // The block playing at `frame` was heard up to there.
            Block& last = blocks_.back();
            const std::int64_t kept = frame - last.deviceStart;
            for (auto& span : last.spans)
                span.end = span.first + (span.end - span.first) * kept / last.frames;
            last.frames = kept;
        }
        written_ = frame;
        lastHeard_ = std::min(lastHeard_, frame);
    }
    for (std::size_t c = 0; c < positions.size(); ++c) {
        if (positions[c] < 0) continue;
        mixer_->seek(static_cast<int>(c), positions[c]);
        channelMoved(static_cast<int>(c), positions[c]);
    }
}

std::string AudioDevice::deviceName() {
    std::lock_guard lock(mutex_);
    return deviceName_;
}

}  // namespace platform
