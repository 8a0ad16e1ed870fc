#include "sync/show_tracks.h"

#include <iterator>

namespace {

// A track that sets one double of the scene's parameters.
template <double SceneParameters::*Field>
void scene(double value, ShowClock&, ShowParameters& parameters) {
    parameters.scene.*Field = value;
}

// A camera coordinate: set, it replaces the path's.
template <std::optional<double> SceneParameters::*Field>
void camera(double value, ShowClock&, ShowParameters& parameters) {
    parameters.scene.*Field = value;
}

template <double TimelineParameters::*Field>
void timeline(double value, ShowClock&, ShowParameters& parameters) {
    parameters.timeline.*Field = value;
}

void sceneTime(double value, ShowClock& clock, ShowParameters&) {
    clock.sceneTime = value;
}

void brightness(double value, ShowClock&, ShowParameters& parameters) {
    parameters.brightness = value;
}

using P = SceneParameters;
using T = TimelineParameters;

const ShowTrack kTracks[] = {
    {"show:time", sceneTime},
    {"show:brightness", brightness},
    {"camera:eye.x", camera<&P::eyeX>},
    {"camera:eye.y", camera<&P::eyeY>},
    {"camera:eye.z", camera<&P::eyeZ>},
    {"camera:target.x", camera<&P::targetX>},
    {"camera:target.y", camera<&P::targetY>},
    {"camera:target.z", camera<&P::targetZ>},
    {"camera:fov", scene<&P::fieldOfView>},
    {"light:dir.x", scene<&P::lightX>},
    {"light:dir.y", scene<&P::lightY>},
    {"light:dir.z", scene<&P::lightZ>},
    {"light:ambient", scene<&P::ambient>},
    {"spheres:cage", scene<&P::cageGrey>},
    {"spheres:spacing", scene<&P::orbitSpacing>},
    {"sky:size", scene<&P::skySize>},
    {"stars:radius", scene<&P::starRadius>},
    {"stars:size", scene<&P::starSize>},
    {"clouds:height", scene<&P::cloudHeight>},
    {"clouds:opacity", scene<&P::cloudOpacity>},
    {"points:size", scene<&P::pointSize>},
    {"spires:size", scene<&P::spireSize>},
    {"floor:height", scene<&P::floorHeight>},
    {"floor:blue", scene<&P::floorBlue>},
    {"floor:opacity", scene<&P::floorOpacity>},
    {"sprites:size", scene<&P::spriteSize>},
    {"film:strength", scene<&P::filmStrength>},
    {"timeline:part1.start", timeline<&T::part1Start>},
    {"timeline:part2.start", timeline<&T::part2Start>},
    {"envelope:damping", timeline<&T::swingDamping>},
    {"envelope:swing.fast", timeline<&T::swingFast>},
    {"envelope:swing.mid", timeline<&T::swingMid>},
    {"envelope:swing.slow", timeline<&T::swingSlow>},
};

}  // namespace

std::span<const ShowTrack> showTracks() {
    return kTracks;
}

std::vector<SyncTrack> makeShowTrackSet() {
    std::vector<SyncTrack> tracks;
    tracks.reserve(std::size(kTracks));
    for (const ShowTrack& track : kTracks) tracks.push_back({track.name, {}});
    return tracks;
}

void shapeFrame(const std::vector<SyncTrack>& tracks, ShowClock& clock,
                ShowParameters& parameters) {
    const double row = rowAtTime(clock.demoTime);
    const std::span<const ShowTrack> all = showTracks();
    for (std::size_t i = 0; i < tracks.size() && i < all.size(); ++i) {
        if (const std::optional<double> value = trackValue(tracks[i], row))
            all[i].apply(*value, clock, parameters);
    }
}
