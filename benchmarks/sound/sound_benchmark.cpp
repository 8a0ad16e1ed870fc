// Playback figures: start-up latency of the music, smoothness of the
// reported position, memory held while playing. Runs on SDL's dummy audio
// driver unless SDL_AUDIODRIVER says otherwise; reads music/music.ogg beside
// the executable.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <thread>
#include <vector>

#include "platform/platform.h"
#include "platform/sdl/sdl_sound_system.h"
#include "runtime/demo_clock.h"

namespace {

using namespace std::chrono_literals;

std::int64_t steadyNanos() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Runs the program's startMusic against `sound`.
void startProgramMusic(platform::SdlSoundSystem& sound) {
    platform::SoundSystem* previous = platform::setSoundSystem(&sound);
    startMusic();
    platform::setSoundSystem(previous);
}

// startMusic to the first device block that carries music.
void StartToFirstSample(benchmark::State& state) {
    std::vector<double> latencies;
    for (auto _ : state) {
        platform::SdlSoundSystem sound;
        std::int64_t start = steadyNanos();
        startProgramMusic(sound);
        while (sound.firstSoundBlockTime() == 0) std::this_thread::sleep_for(100us);
        latencies.push_back((sound.firstSoundBlockTime() - start) / 1e6);
        sound.close();
    }
    double sum = 0.0, worst = 0.0;
    for (double l : latencies) {
        sum += l;
        worst = std::max(worst, l);
    }
    state.counters["first_sample_ms_mean"] = sum / latencies.size();
    state.counters["first_sample_ms_max"] = worst;
}
BENCHMARK(StartToFirstSample)->Iterations(20)->Unit(benchmark::kMillisecond);

// RMS distance (ms) of positions from their least-squares line over time.
double residualMs(const std::vector<double>& t, const std::vector<double>& p) {
    double n = static_cast<double>(t.size());
    double mt = 0, mp = 0;
    for (std::size_t i = 0; i < t.size(); ++i) {
        mt += t[i];
        mp += p[i];
    }
    mt /= n;
    mp /= n;
    double stt = 0, stp = 0;
    for (std::size_t i = 0; i < t.size(); ++i) {
        stt += (t[i] - mt) * (t[i] - mt);
        stp += (t[i] - mt) * (p[i] - mp);
    }
    double slope = stp / stt;
    double sum = 0;
    for (std::size_t i = 0; i < t.size(); ++i) {
        double r = p[i] - (mp + slope * (t[i] - mt));
        sum += r * r;
    }
    return std::sqrt(sum / n) / 44.1;  // frames to ms
}

// Position against the performance counter over 5 s of playback, read
// every millisecond as a fast frame loop would, compared with what a
// position that only moves once per 1024-frame block would give.
void PositionJitter(benchmark::State& state) {
    platform::Platform& system = platform::current();
    for (auto _ : state) {
        platform::SdlSoundSystem sound;
        startProgramMusic(sound);
        std::this_thread::sleep_for(300ms);
        std::vector<double> times, smooth, stepped;
        double frequency = static_cast<double>(system.performanceFrequency());
        std::int64_t begin = system.performanceCounter();
        for (;;) {
            std::int64_t now = system.performanceCounter();
            double t = (now - begin) / frequency;
            if (t > 5.0) break;
            std::uint32_t position = sound.currentPosition(0);
            times.push_back(t);
            smooth.push_back(position);
            stepped.push_back(std::floor(position / 1024.0) * 1024.0);
            std::this_thread::sleep_for(1ms);
        }
        state.counters["jitter_ms_rms"] = residualMs(times, smooth);
        // The same over half-second windows: what is left when slips of the
        // device itself (late blocks on a busy machine) are taken out.
        double sum = 0.0, stepSum = 0.0;
        int windows = 0;
        for (std::size_t from = 0; from < times.size(); ++windows) {
            std::size_t to = from;
            while (to < times.size() && times[to] < times[from] + 0.5) ++to;
            if (to - from < 50) break;
            std::vector<double> t(times.begin() + from, times.begin() + to);
            sum += std::pow(residualMs(t, {smooth.begin() + from, smooth.begin() + to}), 2);
            stepSum += std::pow(residualMs(t, {stepped.begin() + from, stepped.begin() + to}), 2);
            from = to;
        }
        state.counters["jitter_ms_rms_0.5s_windows"] = std::sqrt(sum / windows);
        state.counters["block_stepped_jitter_ms_rms_0.5s_windows"] = std::sqrt(stepSum / windows);
        state.counters["block_stepped_jitter_ms_rms"] = residualMs(times, stepped);
        state.counters["readings"] = static_cast<double>(times.size());
        sound.close();
    }
}
BENCHMARK(PositionJitter)->Iterations(1)->Unit(benchmark::kSecond);

// Heap held by the playback layer while the music plays (decoder state,
// rings, device buffers), and the mixer's own buffers within it.
void MemoryWhilePlaying(benchmark::State& state) {
    for (auto _ : state) {
        std::size_t before = mallinfo2().uordblks;
        auto* sound = new platform::SdlSoundSystem();
        startProgramMusic(*sound);
        std::this_thread::sleep_for(1s);
        std::size_t during = mallinfo2().uordblks;
        state.counters["heap_bytes"] = static_cast<double>(during - before);
        state.counters["mixer_buffer_bytes"] = static_cast<double>(sound->bufferBytes());
        sound->close();
        delete sound;
    }
}
BENCHMARK(MemoryWhilePlaying)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace

int main(int argc, char** argv) {
    if (std::getenv("SDL_AUDIODRIVER") == nullptr) setenv("SDL_AUDIODRIVER", "dummy", 1);
    // The music is looked up relative to the working directory, as the program does.
    std::filesystem::current_path(std::filesystem::read_symlink("/proc/self/exe").parent_path());
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
