#include "tools/make-music/soundtrack.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "tools/make-music/synth_parts.h"

namespace music {
namespace {

constexpr double kRate = kSoundtrackRate;
constexpr std::size_t kFrames = static_cast<std::size_t>(kSoundtrackSeconds * kRate);
constexpr double kBeat = 0.5;  // 120 beats a minute
constexpr double kPulseStart = 34.0;
constexpr double kResolution = 76.0;
constexpr double kFinalRelease = 79.5;

// The show, as the music sees it.
struct Chord {
    double start;
    std::vector<int> notes;  // pad voicing, MIDI note numbers
    int bass;                // bass note
};

const std::vector<Chord>& chords() {
    static const std::vector<Chord> list = {
        // Spheres and stars: slow changes, D minor.
        {0.0, {50, 57, 64, 65, 69}, 38},   // Dm add9
        {8.5, {46, 53, 57, 62, 65}, 34},   // Bb maj7
        {17.0, {43, 50, 58, 65, 69}, 43},  // Gm9
        {25.5, {45, 52, 57, 62, 64}, 33},  // A sus4
        {30.0, {45, 52, 57, 61, 64}, 33},  // A
        // The floor and the spires: the pulse, a chord every two bars.
        {34.0, {50, 57, 62, 65, 69}, 38},  // Dm
        {38.0, {46, 53, 58, 62, 69}, 34},  // Bb maj7
        {42.0, {41, 53, 57, 60, 65}, 41},  // F
        {46.0, {48, 55, 60, 64, 67}, 36},  // C
        {50.0, {50, 57, 62, 65, 69}, 38},  // Dm
        {54.0, {46, 53, 58, 62, 69}, 34},  // Bb maj7
        {58.0, {43, 55, 58, 62, 65}, 43},  // Gm7
        {62.0, {45, 52, 57, 61, 64}, 33},  // A
        {66.0, {50, 57, 62, 65, 69}, 38},  // Dm
        {70.0, {46, 53, 58, 62, 69}, 34},  // Bb maj7
        {74.0, {45, 52, 57, 61, 67}, 33},  // A7
        // The closing images: resolution to D major.
        {kResolution, {38, 50, 57, 62, 66, 69, 76}, 38},
    };
    return list;
}

const Chord& chordAt(double t) {
    const auto& list = chords();
    std::size_t i = 0;
    while (i + 1 < list.size() && list[i + 1].start <= t) ++i;
    return list[i];
}

double chordEnd(std::size_t index) {
    const auto& list = chords();
    return index + 1 < list.size() ? list[index + 1].start : kFinalRelease;
}

// A note of the chord moved into [low, high].
int chordToneIn(const Chord& chord, int which, int low, int high) {
    int note = chord.notes[static_cast<std::size_t>(which) % chord.notes.size()];
    while (note < low) note += 12;
    while (note > high) note -= 12;
    return note;
}

// 1 until `fade` seconds before `length`, then down to 0 at `length`: a
// note cut off at the end of its window would click.
double tailFade(double t, double length, double fade) {
    return std::clamp((length - t) / fade, 0.0, 1.0);
}

std::size_t frameAt(double t) {
    return static_cast<std::size_t>(std::clamp(t, 0.0, kSoundtrackSeconds) * kRate);
}

struct Bus {
    std::vector<float> l = std::vector<float>(kFrames, 0.0f);
    std::vector<float> r = std::vector<float>(kFrames, 0.0f);
    void add(std::size_t i, double left, double right) {
        l[i] += static_cast<float>(left);
        r[i] += static_cast<float>(right);
    }
};

// Everything the layers write into: the dry mix and the two effect sends.
struct Mix {
    Bus dry;
    Bus reverb;
    Bus echo;
    void add(std::size_t i, double left, double right, double reverbSend, double echoSend) {
        dry.add(i, left, right);
        if (reverbSend > 0.0) reverb.add(i, left * reverbSend, right * reverbSend);
        if (echoSend > 0.0) echo.add(i, left * echoSend, right * echoSend);
    }
};

// Equal-power pan: -1 left, +1 right.
void panGains(double pan, double& left, double& right) {
    double angle = (pan + 1.0) * 0.25 * std::numbers::pi;
    left = std::cos(angle);
    right = std::sin(angle);
}

std::vector<double> kickTimes() {
    std::vector<double> times;
    for (double t = kPulseStart; t <= kResolution + 1e-9; t += kBeat) times.push_back(t);
    return times;
}

// The pad and the bass make room for each kick.
double duck(double t) {
    if (t < kPulseStart || t > kResolution + 0.6) return 1.0;
    double since = std::fmod(t - kPulseStart, kBeat);
    return 1.0 - 0.32 * std::exp(-since / 0.12);
}

// Pad: two detuned saws a note, filtered as a whole, slowly opening with the show.
void renderPad(Mix& mix) {
    Bus pad;
    const auto& list = chords();
    for (std::size_t c = 0; c < list.size(); ++c) {
        const Chord& chord = list[c];
        bool first = c == 0;
        bool last = c + 1 == list.size();
        double attack = first ? 5.0 : last ? 1.2 : 1.6;
        double release = last ? 1.7 : 1.3;
        double end = chordEnd(c);
        std::size_t from = frameAt(chord.start);
        std::size_t to = frameAt(end + 7.0 * release);
        for (std::size_t n = 0; n < chord.notes.size(); ++n) {
            int note = chord.notes[n];
            double hz = midiToHz(note);
            double level = note < 45 ? 0.038 : 0.052;
            double spread = (static_cast<double>(n) / (chord.notes.size() - 1)) * 1.2 - 0.6;
            double l1, r1, l2, r2;
            panGains(spread - 0.3, l1, r1);
            panGains(spread + 0.3, l2, r2);
            Saw a(0.13 * n), b(0.57 + 0.07 * n);
            double incA = hz * std::pow(2.0, 7.0 / 1200.0) / kRate;
            double incB = hz * std::pow(2.0, -7.0 / 1200.0) / kRate;
            for (std::size_t i = from; i < to; ++i) {
                double t = i / kRate - chord.start;
                double env = std::min(1.0, t / attack);
                env = env * env * (3.0 - 2.0 * env);
                double tEnd = i / kRate - end;
                if (tEnd > 0.0)
                    env *= std::exp(-tEnd / release) * tailFade(tEnd, 7.0 * release, 1.0);
                double sa = a.next(incA) * env * level;
                double sb = b.next(incB) * env * level;
                pad.add(i, sa * l1 + sb * l2, sa * r1 + sb * r2);
            }
        }
    }
    Svf filterL, filterR;
    for (std::size_t i = 0; i < kFrames; ++i) {
        double t = i / kRate;
        if (i % 32 == 0) {
            double base = 620.0 + 980.0 * ramp(t, kPulseStart, 70.0) + 500.0 * ramp(t, 74.0, 77.0) -
                          1700.0 * ramp(t, 79.0, 87.0);
            double cutoff = base * (1.0 + 0.22 * std::sin(kTau * t / 11.0));
            filterL.set(cutoff, 0.9, kRate);
            filterR.set(cutoff * 1.04, 0.9, kRate);
        }
        double g = duck(t);
        double l = filterL.process(pad.l[i]).low * g;
        double r = filterR.process(pad.r[i]).low * g;
        mix.add(i, l, r, 0.55, 0.0);
    }
}

// A glassy FM bell: the stars.
void bell(Mix& mix, double start, int note, double level, double pan) {
    double hz = midiToHz(note);
    double l, r;
    panGains(pan, l, r);
    std::size_t from = frameAt(start);
    std::size_t to = frameAt(start + 5.0);
    for (std::size_t i = from; i < to; ++i) {
        double t = i / kRate - start;
        double env = (1.0 - std::exp(-t / 0.004)) * std::exp(-t / 1.3) * tailFade(t, 5.0, 1.0);
        double index = 1.6 * std::exp(-t / 0.16) + 0.12;
        double y = std::sin(kTau * hz * t + index * std::sin(kTau * 3.0 * hz * t)) * env * level;
        mix.add(i, y * l, y * r, 0.9, 0.15);
    }
}

void renderStars(Mix& mix) {
    Random random(7);
    // Free time under the spheres, then on the beat grid with the pulse.
    for (double t = 1.4; t < kPulseStart - 0.5; t += random.range(0.7, 2.3)) {
        const Chord& chord = chordAt(t);
        int note = chordToneIn(chord, random.below(8), 79, 96);
        bell(mix, t, note, random.range(0.045, 0.085) * ramp(t, 0.5, 3.0), random.range(-0.8, 0.8));
    }
    for (double t = kPulseStart; t < kResolution - 1.0; t += kBeat) {
        if (random.uniform() > 0.28) continue;
        double at = t + (random.uniform() < 0.5 ? 0.0 : kBeat / 2);
        int note = chordToneIn(chordAt(at), random.below(8), 81, 96);
        bell(mix, at, note, random.range(0.03, 0.06), random.range(-0.8, 0.8));
    }
    // The closing images: a falling D major cascade, then two last sparks.
    const int cascade[] = {86, 81, 78, 74, 69};
    for (int k = 0; k < 5; ++k) {
        bell(mix, kResolution + 0.25 * k, cascade[k], 0.085 - 0.01 * k, 0.5 - 0.25 * k);
    }
    bell(mix, 78.5, 88, 0.05, -0.5);
    bell(mix, 79.75, 90, 0.04, 0.45);
}

// Clouds: two slowly wandering bands of noise, one a side.
void renderClouds(Mix& mix) {
    Random random(11);
    Svf bandL, bandR;
    double darkL = 0.0, darkR = 0.0;  // one-pole lowpass: a softer, darker noise
    for (std::size_t i = frameAt(10.0); i < frameAt(82.0); ++i) {
        double t = i / kRate;
        if (i % 64 == 0) {
            bandL.set(650.0 + 320.0 * std::sin(kTau * t / 9.1), 1.6, kRate);
            bandR.set(650.0 + 320.0 * std::sin(kTau * t / 9.1 + 1.9), 1.6, kRate);
        }
        double level = 0.30 * ramp(t, 10.0, 17.0) * (1.0 - ramp(t, 72.0, 80.0)) *
                       (0.65 + 0.35 * std::sin(kTau * t / 7.3)) * duck(t);
        darkL += 0.12 * (random.noise() - darkL);
        darkR += 0.12 * (random.noise() - darkR);
        double l = bandL.process(darkL).band * level * 2.2;
        double r = bandR.process(darkR).band * level * 2.2;
        mix.add(i, l, r, 0.8, 0.0);
    }
}

// A soft pluck from a few decaying partials: the falling points.
void pluck(Mix& mix, double start, int note, double level, double pan) {
    double hz = midiToHz(note);
    double l, r;
    panGains(pan, l, r);
    constexpr int kPartials = 5;
    std::vector<Rotor> partials;
    double amp[kPartials], decay[kPartials];
    for (int k = 0; k < kPartials; ++k) {
        partials.emplace_back(hz * (k + 1) * (1.0 + 0.0007 * k * k), kRate);
        amp[k] = level / std::pow(k + 1.0, 1.4);
        decay[k] = 1.1 / std::pow(k + 1.0, 0.8);
    }
    std::size_t from = frameAt(start);
    std::size_t to = frameAt(start + 3.0);
    for (std::size_t i = from; i < to; ++i) {
        double t = i / kRate - start;
        double attack = std::min(1.0, t / 0.003) * tailFade(t, 3.0, 0.8);
        double y = 0.0;
        for (int k = 0; k < kPartials; ++k)
            y += partials[k].next() * amp[k] * std::exp(-t / decay[k]);
        y *= attack;
        mix.add(i, y * l, y * r, 0.45, 0.4);
    }
}

void renderFallingPoints(Mix& mix) {
    Random random(23);
    int figure = 0;
    for (double t = 17.0; t < 74.0; t += 2.0, ++figure) {
        const Chord& chord = chordAt(t);
        int notes = t < kPulseStart ? 4 : 5;
        double level = 0.085 * ramp(t, 16.0, 22.0) + 0.01 * ramp(t, kPulseStart, 60.0);
        // Chord tones from a high start downwards.
        std::vector<int> tones;
        for (int k = 0; k < static_cast<int>(chord.notes.size()); ++k) {
            for (int octave = 0; octave < 3; ++octave) {
                int note = chordToneIn(chord, k, 67, 78) + 12 * octave;
                if (note <= 93) tones.push_back(note);
            }
        }
        std::sort(tones.begin(), tones.end());
        tones.erase(std::unique(tones.begin(), tones.end()), tones.end());
        std::size_t top = tones.size() - 1 - static_cast<std::size_t>(random.below(3));
        double direction = figure % 2 == 0 ? 1.0 : -1.0;
        for (int k = 0; k < notes && top >= static_cast<std::size_t>(k); ++k) {
            double pan = direction * (0.6 - 1.2 * k / (notes - 1));
            pluck(mix, t + 0.1875 * k, tones[top - k], level * std::pow(0.82, k), pan);
        }
    }
}

void renderKicks(Mix& mix) {
    for (double start : kickTimes()) {
        bool last = start >= kResolution - 1e-9;
        double level = last ? 0.42 : 0.27 + 0.15 * ramp(start, kPulseStart, 50.0);
        double decay = last ? 0.6 : 0.24;
        double phase = 0.0;
        std::size_t from = frameAt(start);
        double length = last ? 4.0 : 1.6;
        std::size_t to = frameAt(start + length);
        for (std::size_t i = from; i < to; ++i) {
            double t = i / kRate - start;
            double hz = 46.0 + 80.0 * std::exp(-t / 0.03);
            phase += hz / kRate;
            double env = std::min(1.0, t / 0.002) * std::exp(-t / decay) * tailFade(t, length, 0.3);
            double y = std::sin(kTau * phase) * env * level;
            mix.add(i, y, y, 0.05, 0.0);
        }
    }
}

void renderBass(Mix& mix) {
    for (double start = 38.0; start < kResolution - 1e-9; start += kBeat / 2) {
        const Chord& chord = chordAt(start + 1e-6);
        int step = static_cast<int>(std::lround((start - kPulseStart) / (kBeat / 2)));
        bool lastBeatOfChord = std::fmod(start - kPulseStart, 4.0) >= 3.5 - 1e-9;
        int note = chord.bass + (step % 2 == 1 ? 12 : (lastBeatOfChord ? 7 : 0));
        double hz = midiToHz(note);
        double level = 0.13 + 0.04 * ramp(start, 38.0, 60.0);
        Saw a(0.0), b(0.5);
        Svf filter;
        double sub = 0.0;
        std::size_t from = frameAt(start);
        std::size_t to = frameAt(start + 0.26);
        for (std::size_t i = from; i < to; ++i) {
            double t = i / kRate - start;
            if ((i - from) % 16 == 0) {
                filter.set(170.0 + 1000.0 * std::exp(-t / 0.07), 1.1, kRate);
            }
            double env = std::min(1.0, t / 0.003) * std::exp(-t / 0.2) *
                         std::clamp((0.26 - t) / 0.02, 0.0, 1.0);
            double saw = 0.5 * (a.next(hz / kRate) + b.next(hz * 1.004 / kRate));
            sub += hz / kRate;
            double y = (filter.process(saw).low + 0.5 * std::sin(kTau * sub)) * env * level *
                       duck(i / kRate);
            mix.add(i, y, y, 0.05, 0.0);
        }
    }
    // The resolution's low D, left to ring.
    double start = kResolution;
    double hz = midiToHz(38);
    Rotor low(hz, kRate), octave(2 * hz, kRate);
    for (std::size_t i = frameAt(start); i < frameAt(start + 9.0); ++i) {
        double t = i / kRate - start;
        double env = std::min(1.0, t / 0.01) * std::exp(-t / 1.8) * tailFade(t, 9.0, 1.0);
        double y = (low.next() + 0.3 * octave.next()) * env * 0.16;
        mix.add(i, y, y, 0.2, 0.0);
    }
}

void renderHats(Mix& mix) {
    Random random(31);
    auto hat = [&](double start, double level, double pan) {
        Svf filter;
        filter.set(7500.0, 0.8, kRate);
        double l, r;
        panGains(pan, l, r);
        for (std::size_t i = frameAt(start); i < frameAt(start + 0.2); ++i) {
            double t = i / kRate - start;
            double y = filter.process(random.noise()).high * std::exp(-t / 0.028) *
                       tailFade(t, 0.2, 0.05) * level;
            mix.add(i, y * l, y * r, 0.15, 0.0);
        }
    };
    for (double beat = 42.0; beat < kResolution - 1e-9; beat += kBeat) {
        hat(beat + kBeat / 2, 0.05 + 0.02 * ramp(beat, 42.0, 66.0), 0.25);
        if (beat >= 58.0) {
            hat(beat + kBeat / 4, 0.022, -0.3);
            hat(beat + 3 * kBeat / 4, 0.018, -0.2);
        }
    }
}

void renderArpeggio(Mix& mix) {
    static constexpr int kPattern[] = {0, 1, 2, 3, 4, 3, 2, 1};
    int step = 0;
    for (double start = 50.0; start < kResolution - 1e-9; start += kBeat / 4, ++step) {
        const Chord& chord = chordAt(start + 1e-6);
        std::vector<int> tones;
        for (int k = 0; k < static_cast<int>(chord.notes.size()); ++k) {
            tones.push_back(chordToneIn(chord, k, 62, 73));
        }
        std::sort(tones.begin(), tones.end());
        tones.erase(std::unique(tones.begin(), tones.end()), tones.end());
        int index = kPattern[step % 8];
        int note = tones[static_cast<std::size_t>(index) % tones.size()] +
                   12 * (index / static_cast<int>(tones.size()));
        if (step % 16 >= 8) note += 12 * (step % 32 >= 24 ? 1 : 0);
        double level = 0.05 * ramp(start, 50.0, 56.0) + 0.015 * ramp(start, 60.0, 70.0);
        level *= 1.0 - ramp(start, 73.0, 76.0);
        double hz = midiToHz(note);
        double l, r;
        panGains(step % 2 == 0 ? -0.35 : 0.35, l, r);
        Saw saw(0.0);
        Svf filter;
        std::size_t from = frameAt(start);
        for (std::size_t i = from; i < frameAt(start + 0.4); ++i) {
            double t = i / kRate - start;
            if ((i - from) % 16 == 0) filter.set(700.0 + 2300.0 * std::exp(-t / 0.08), 1.0, kRate);
            double env = std::min(1.0, t / 0.002) * std::exp(-t / 0.11) * tailFade(t, 0.4, 0.1);
            double y = filter.process(saw.next(hz / kRate)).low * env * level * duck(i / kRate);
            mix.add(i, y * l, y * r, 0.3, 0.45);
        }
    }
}

}  // namespace

std::vector<float> composeSoundtrack() {
    Mix mix;
    renderPad(mix);
    renderStars(mix);
    renderClouds(mix);
    renderFallingPoints(mix);
    renderKicks(mix);
    renderBass(mix);
    renderHats(mix);
    renderArpeggio(mix);

    // Effects: the echo feeds the reverb a little; both return into the mix.
    PingPongDelay echo(0.375, kRate, 0.38);
    Reverb reverb(kRate, 0.86, 0.25);
    std::vector<float> out(2 * kFrames);
    double dcInL = 0.0, dcInR = 0.0, dcOutL = 0.0, dcOutR = 0.0;
    double peak = 0.0;
    for (std::size_t i = 0; i < kFrames; ++i) {
        double el, er, rl, rr;
        echo.process(mix.echo.l[i], mix.echo.r[i], el, er);
        reverb.process(mix.reverb.l[i] + 0.3 * el, mix.reverb.r[i] + 0.3 * er, rl, rr);
        double l = mix.dry.l[i] + 0.5 * el + 1.1 * rl;
        double r = mix.dry.r[i] + 0.5 * er + 1.1 * rr;
        // DC blocker (about 3 Hz).
        dcOutL = l - dcInL + 0.9995 * dcOutL;
        dcInL = l;
        dcOutR = r - dcInR + 0.9995 * dcOutR;
        dcInR = r;
        double t = i / kRate;
        double gain = std::min(1.0, t / 0.02) * (1.0 - ramp(t, 86.5, 89.0));
        out[2 * i] = static_cast<float>(dcOutL * gain);
        out[2 * i + 1] = static_cast<float>(dcOutR * gain);
        peak = std::max({peak, std::fabs(dcOutL * gain), std::fabs(dcOutR * gain)});
    }
    // Peaks at -2.5 dBFS leave room for the encoder's small overshoots.
    if (peak > 0.0) {
        float scale = static_cast<float>(std::pow(10.0, -2.5 / 20.0) / peak);
        for (float& s : out) s *= scale;
    }
    return out;
}

}  // namespace music
