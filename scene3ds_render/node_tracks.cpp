#include "scene3ds_render/node_tracks.h"

#include <algorithm>
#include <cmath>

namespace {

// The index of the last key at or before `frame` (0 when every key is
// after it) and how far `frame` lies towards the next key (0..1).
template <class Key>
std::pair<std::size_t, double> keyInterval(const std::vector<Key>& keys, double frame) {
    const auto next = std::upper_bound(keys.begin(), keys.end(), frame,
                                       [](double f, const Key& k) { return f < k.frame; });
    if (next == keys.begin()) return {0, 0.0};
    const std::size_t i = static_cast<std::size_t>(next - keys.begin()) - 1;
    if (i + 1 >= keys.size()) return {i, 0.0};
    const double span = static_cast<double>(keys[i + 1].frame) - keys[i].frame;
    return {i, span > 0 ? std::clamp((frame - keys[i].frame) / span, 0.0, 1.0) : 0.0};
}

// The spline's tangents at key i of n values v (frames f): the one
// leaving it and the one arriving at it, scaled for unevenly spaced keys.
// An end key's tangents run straight to its one neighbour.
template <class Key, class Value>
void tangents(const std::vector<Key>& keys, std::size_t i, Value& leaving, Value& arriving) {
    const std::size_t n = keys.size();
    const auto& v = [&](std::size_t k) -> const Value& { return keys[k].value; };
    if (i == 0 || i + 1 >= n) {
        const std::size_t a = i == 0 ? 0 : n - 2;
        for (std::size_t c = 0; c < leaving.size(); ++c)
            leaving[c] = arriving[c] = v(a + 1)[c] - v(a)[c];
        return;
    }
    const float t = keys[i].spline[0], cont = keys[i].spline[1], b = keys[i].spline[2];
    const double before = static_cast<double>(keys[i].frame) - keys[i - 1].frame;
    const double after = static_cast<double>(keys[i + 1].frame) - keys[i].frame;
    const double outScale = 2 * after / (before + after), inScale = 2 * before / (before + after);
    for (std::size_t c = 0; c < leaving.size(); ++c) {
        const double in = v(i)[c] - v(i - 1)[c], out = v(i + 1)[c] - v(i)[c];
        leaving[c] = static_cast<float>(outScale * ((1 - t) * (1 + cont) * (1 + b) / 2 * in +
                                                    (1 - t) * (1 - cont) * (1 - b) / 2 * out));
        arriving[c] = static_cast<float>(inScale * ((1 - t) * (1 - cont) * (1 + b) / 2 * in +
                                                    (1 - t) * (1 + cont) * (1 - b) / 2 * out));
    }
}

// The Hermite curve between keys i and i + 1 at u (0..1).
template <class Key, class Value>
Value spline(const std::vector<Key>& keys, std::size_t i, double u) {
    Value leaving{}, arriving{}, ignored{};
    tangents(keys, i, leaving, ignored);
    tangents(keys, i + 1, ignored, arriving);
    const double u2 = u * u, u3 = u2 * u;
    const double h00 = 2 * u3 - 3 * u2 + 1, h10 = u3 - 2 * u2 + u, h01 = -2 * u3 + 3 * u2,
                 h11 = u3 - u2;
    Value r;
    for (std::size_t c = 0; c < r.size(); ++c)
        r[c] = static_cast<float>(h00 * keys[i].value[c] + h10 * leaving[c] +
                                  h01 * keys[i + 1].value[c] + h11 * arriving[c]);
    return r;
}

// A float track's keys as one-component vectors.
std::vector<TrackKey<std::array<float, 1>>> asVectors(const FloatTrack& track) {
    std::vector<TrackKey<std::array<float, 1>>> keys;
    keys.reserve(track.size());
    for (const auto& k : track) keys.push_back({k.frame, {k.value}, k.spline});
    return keys;
}

Quaternion multiply(const Quaternion& a, const Quaternion& b) {
    return {a[3] * b[0] + a[0] * b[3] + a[1] * b[2] - a[2] * b[1],
            a[3] * b[1] - a[0] * b[2] + a[1] * b[3] + a[2] * b[0],
            a[3] * b[2] + a[0] * b[1] - a[1] * b[0] + a[2] * b[3],
            a[3] * b[3] - a[0] * b[0] - a[1] * b[1] - a[2] * b[2]};
}

Quaternion fromAxisAngle(const AxisAngle& r) {
    const double x = -r.axis[0], y = -r.axis[1], z = -r.axis[2];
    const double length = std::sqrt(x * x + y * y + z * z);
    if (!(length > 0) || !std::isfinite(length) || !std::isfinite(r.angle)) return {0, 0, 0, 1};
    const double s = std::sin(r.angle / 2) / length;
    return {x * s, y * s, z * s, std::cos(r.angle / 2)};
}

Quaternion slerp(const Quaternion& a, Quaternion b, double t) {
    double d = a[0] * b[0] + a[1] * b[1] + a[2] * b[2] + a[3] * b[3];
    if (d < 0) {
        d = -d;
        for (double& c : b) c = -c;
    }
    double wa = 1 - t, wb = t;
    if (d < 0.9995) {
        const double angle = std::acos(std::min(d, 1.0));
        const double s = std::sin(angle);
        wa = std::sin((1 - t) * angle) / s;
        wb = std::sin(t * angle) / s;
    }
    Quaternion q;
    double norm = 0;
    for (int c = 0; c < 4; ++c) {
        q[c] = wa * a[c] + wb * b[c];
        norm += q[c] * q[c];
    }
    norm = std::sqrt(norm);
    if (!(norm > 0)) return {0, 0, 0, 1};
    for (double& c : q) c /= norm;
    return q;
}

}  // namespace

std::array<float, 3> sampleTrack(const VectorTrack& track, double frame,
                                 const std::array<float, 3>& otherwise) {
    if (track.empty()) return otherwise;
    const auto [i, t] = keyInterval(track, frame);
    if (t == 0.0) return track[i].value;
    return spline<TrackKey<std::array<float, 3>>, std::array<float, 3>>(track, i, t);
}

float sampleTrack(const FloatTrack& track, double frame, float otherwise) {
    if (track.empty()) return otherwise;
    const auto [i, t] = keyInterval(track, frame);
    if (t == 0.0) return track[i].value;
    // Only the keys around the stretch shape it.
    const std::size_t first = i > 0 ? i - 1 : 0;
    const std::size_t last = std::min(track.size(), i + 3);
    const FloatTrack near(track.begin() + static_cast<std::ptrdiff_t>(first),
                          track.begin() + static_cast<std::ptrdiff_t>(last));
    const auto keys = asVectors(near);
    return spline<TrackKey<std::array<float, 1>>, std::array<float, 1>>(keys, i - first, t)[0];
}

std::vector<TrackKey<Quaternion>> absoluteRotations(const std::vector<TrackKey<AxisAngle>>& track) {
    std::vector<TrackKey<Quaternion>> keys;
    keys.reserve(track.size());
    Quaternion q{0, 0, 0, 1};
    for (const auto& key : track) {
        q = keys.empty() ? fromAxisAngle(key.value) : multiply(fromAxisAngle(key.value), q);
        keys.push_back({key.frame, q});
    }
    return keys;
}

Quaternion sampleRotation(const std::vector<TrackKey<Quaternion>>& keys, double frame) {
    if (keys.empty()) return {0, 0, 0, 1};
    const auto [i, t] = keyInterval(keys, frame);
    if (t == 0.0) return keys[i].value;
    return slerp(keys[i].value, keys[i + 1].value, t);
}

Matrix4f rotationMatrix(const Quaternion& q) {
    const double x = q[0], y = q[1], z = q[2], w = q[3];
    return {static_cast<float>(1 - 2 * (y * y + z * z)),
            static_cast<float>(2 * (x * y + z * w)),
            static_cast<float>(2 * (x * z - y * w)),
            0,
            static_cast<float>(2 * (x * y - z * w)),
            static_cast<float>(1 - 2 * (x * x + z * z)),
            static_cast<float>(2 * (y * z + x * w)),
            0,
            static_cast<float>(2 * (x * z + y * w)),
            static_cast<float>(2 * (y * z - x * w)),
            static_cast<float>(1 - 2 * (x * x + y * y)),
            0,
            0,
            0,
            0,
            1};
}

bool hiddenAt(const std::vector<std::uint32_t>& hide, double frame) {
    bool hidden = false;
    for (std::uint32_t f : hide) {
        if (f > frame) break;
        hidden = !hidden;
    }
    return hidden;
}

const std::string* morphTargetAt(const std::vector<TrackKey<std::string>>& morph, double frame) {
    if (morph.empty()) return nullptr;
    return &morph[keyInterval(morph, frame).first].value;
}
