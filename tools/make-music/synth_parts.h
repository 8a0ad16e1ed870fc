#pragma once
// Small signal-processing parts the soundtrack is built from: a seeded
// random source, band-limited saw, state-variable filter, sine rotor,
// Freeverb-style reverb and a ping-pong delay.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

namespace music {

inline constexpr double kTau = 2.0 * std::numbers::pi;

inline double midiToHz(double note) {
    return 440.0 * std::pow(2.0, (note - 69.0) / 12.0);
}

// 0 before t0, 1 after t1, smooth in between.
inline double ramp(double t, double t0, double t1) {
    if (t <= t0) return 0.0;
    if (t >= t1) return 1.0;
    double x = (t - t0) / (t1 - t0);
    return x * x * (3.0 - 2.0 * x);
}

// The same numbers on every run and every machine.
class Random {
  public:
    explicit Random(std::uint64_t seed) : state_(seed * 0x9E3779B97F4A7C15ull + 1) {}
    std::uint32_t next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 7;
        state_ ^= state_ << 17;
        return static_cast<std::uint32_t>(state_ >> 32);
    }
    double uniform() { return next() / 4294967296.0; }  // [0, 1)
    double range(double lo, double hi) { return lo + (hi - lo) * uniform(); }
    int below(int n) { return static_cast<int>(uniform() * n); }
    double noise() { return 2.0 * uniform() - 1.0; }

  private:
    std::uint64_t state_;
};

// Sawtooth with polyBLEP edges, so high notes do not alias.
class Saw {
  public:
    explicit Saw(double phase = 0.0) : phase_(phase) {}
    double next(double increment) {
        double t = phase_;
        phase_ += increment;
        if (phase_ >= 1.0) phase_ -= 1.0;
        return 2.0 * t - 1.0 - blep(t, increment);
    }

  private:
    static double blep(double t, double dt) {
        if (t < dt) {
            t /= dt;
            return t + t - t * t - 1.0;
        }
        if (t > 1.0 - dt) {
            t = (t - 1.0) / dt;
            return t * t + t + t + 1.0;
        }
        return 0.0;
    }
    double phase_;
};

// Topology-preserving state-variable filter (trapezoidal integration):
// stable under fast cutoff changes.
class Svf {
  public:
    struct Out {
        double low, band, high;
    };
    void set(double cutoff, double q, double rate) {
        cutoff = std::clamp(cutoff, 10.0, rate * 0.45);
        g_ = std::tan(std::numbers::pi * cutoff / rate);
        k_ = 1.0 / q;
        a1_ = 1.0 / (1.0 + g_ * (g_ + k_));
        a2_ = g_ * a1_;
        a3_ = g_ * a2_;
    }
    Out process(double x) {
        double v3 = x - ic2_;
        double v1 = a1_ * ic1_ + a2_ * v3;
        double v2 = ic2_ + a2_ * ic1_ + a3_ * v3;
        ic1_ = 2.0 * v1 - ic1_;
        ic2_ = 2.0 * v2 - ic2_;
        return {v2, v1, x - k_ * v1 - v2};
    }

  private:
    double g_ = 0.0, k_ = 1.0, a1_ = 0.0, a2_ = 0.0, a3_ = 0.0;
    double ic1_ = 0.0, ic2_ = 0.0;
};

// A sine by complex rotation: one multiply per sample instead of sin().
class Rotor {
  public:
    Rotor(double hz, double rate, double phase = 0.0)
        : c_(std::cos(kTau * hz / rate)),
          s_(std::sin(kTau * hz / rate)),
          x_(std::cos(phase)),
          y_(std::sin(phase)) {}
    double next() {
        double out = y_;
        double x = x_ * c_ - y_ * s_;
        y_ = x_ * s_ + y_ * c_;
        x_ = x;
        return out;
    }

  private:
    double c_, s_, x_, y_;
};

// Freeverb-style stereo reverb: eight damped combs and four allpasses per side.
class Reverb {
  public:
    Reverb(double rate, double room, double damping) {
        static constexpr std::array<int, 8> combs = {1116, 1188, 1277, 1356,
                                                     1422, 1491, 1557, 1617};
        static constexpr std::array<int, 4> allpasses = {556, 441, 341, 225};
        double scale = rate / 44100.0;
        for (int side = 0; side < 2; ++side) {
            int spread = side * 23;
            for (int len : combs)
                combs_[side].push_back(Comb(static_cast<int>((len + spread) * scale)));
            for (int len : allpasses) {
                allpasses_[side].push_back(Allpass(static_cast<int>((len + spread) * scale)));
            }
        }
        feedback_ = room;
        damping_ = damping;
    }
    void process(double inL, double inR, double& outL, double& outR) {
        double input = (inL + inR) * 0.015;
        double out[2] = {0.0, 0.0};
        for (int side = 0; side < 2; ++side) {
            for (Comb& c : combs_[side]) out[side] += c.process(input, feedback_, damping_);
            for (Allpass& a : allpasses_[side]) out[side] = a.process(out[side]);
        }
        outL = out[0];
        outR = out[1];
    }

  private:
    struct Comb {
        explicit Comb(int n) : buffer(static_cast<std::size_t>(n), 0.0) {}
        double process(double x, double feedback, double damping) {
            double y = buffer[index];
            store = y * (1.0 - damping) + store * damping;
            buffer[index] = x + store * feedback;
            if (++index == buffer.size()) index = 0;
            return y;
        }
        std::vector<double> buffer;
        std::size_t index = 0;
        double store = 0.0;
    };
    struct Allpass {
        explicit Allpass(int n) : buffer(static_cast<std::size_t>(n), 0.0) {}
        double process(double x) {
            double b = buffer[index];
            double y = b - x;
            buffer[index] = x + b * 0.5;
            if (++index == buffer.size()) index = 0;
            return y;
        }
        std::vector<double> buffer;
        std::size_t index = 0;
    };
    std::vector<Comb> combs_[2];
    std::vector<Allpass> allpasses_[2];
    double feedback_ = 0.84;
    double damping_ = 0.2;
};

// Ping-pong echo with a darkening feedback path.
class PingPongDelay {
  public:
    PingPongDelay(double seconds, double rate, double feedback)
        : left_(static_cast<std::size_t>(seconds * rate), 0.0),
          right_(static_cast<std::size_t>(seconds * rate), 0.0),
          feedback_(feedback) {}
    void process(double inL, double inR, double& outL, double& outR) {
        double dl = left_[index_];
        double dr = right_[index_];
        toneL_ += 0.35 * (dr - toneL_);
        toneR_ += 0.35 * (dl - toneR_);
        left_[index_] = inL + toneL_ * feedback_;
        right_[index_] = inR + toneR_ * feedback_;
        if (++index_ == left_.size()) index_ = 0;
        outL = dl;
        outR = dr;
    }

  private:
    std::vector<double> left_, right_;
    std::size_t index_ = 0;
    double feedback_;
    double toneL_ = 0.0, toneR_ = 0.0;
};

}  // namespace music
