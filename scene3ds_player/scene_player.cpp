#include "scene3ds_player/scene_player.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>

#include "scene3ds/load_failure.h"
#include "scene3ds/parallel_meshes.h"
#include "scene3ds_render/model_pose.h"
#include "scene3ds_render/texture_files.h"

namespace fs = std::filesystem;

namespace {
// Radians of turn per pixel of drag.
constexpr double kOrbitPerPixel = 0.01;
// A quarter turn up or down at most, so the view never flips over.
constexpr double kMaxPitch = 1.5;
}  // namespace

bool ScenePlayer::open(const std::string& path, std::string& error) {
    // What the loader does not keep (the node tree, material extras) is
    // read from the file a second time, beside the loading.
    bool loaded = false;
    SceneExtras extras;
    forEachInParallel(2, [&](std::size_t task) {
        if (task == 0)
            loaded = loader_.load(path.c_str());
        else
            extras = readSceneExtrasFile(path.c_str());
    });
    if (!loaded) {
        error = loadFailureReason(path);
        return false;
    }
    path_ = path;
    renderer_.prepare(loader_, std::move(extras));
    camera_ = loader_.cameras.empty() ? -1 : 0;
    axis_ = AxisView::Front;
    orbit_ = {};
    time_ = 0.0;
    return true;
}

void ScenePlayer::setUpGl(RenderContext& context, std::vector<std::string>& warnings) {
    // Textures lie beside the file.
    fs::path folder = pathFromUtf8(path_).parent_path();
    if (folder.empty()) folder = ".";
    renderer_.setUpGl(folder, context, warnings);
}

std::uint32_t ScenePlayer::frame() const {
    return frameAtTime(loader_, time_);
}

std::uint32_t ScenePlayer::frameCount() const {
    return loader_.frameCount > 0 ? loader_.frameCount : 1;
}

void ScenePlayer::advance(double seconds) {
    if (paused_ || !std::isfinite(seconds)) return;
    // Kept within one loop, so the clock never loses precision.
    const double loop = frameCount() / kFramesPerSecond;
    time_ = std::fmod(time_ + seconds, loop);
    if (time_ < 0) time_ += loop;
}

void ScenePlayer::seek(double seconds) {
    time_ = 0.0;
    const bool wasPaused = paused_;
    paused_ = false;
    advance(seconds);
    paused_ = wasPaused;
}

void ScenePlayer::setFrame(std::uint32_t frame) {
    // The middle of the frame, so that rounding never shows the one before.
    time_ = ((frame % frameCount()) + 0.5) / kFramesPerSecond;
}

void ScenePlayer::apply(PlayerAction action) {
    const std::uint32_t count = frameCount();
    switch (action) {
        case PlayerAction::TogglePause:
            paused_ = !paused_;
            break;
        case PlayerAction::StepBack:
            paused_ = true;
            setFrame((frame() + count - 1) % count);
            break;
        case PlayerAction::StepForward:
            paused_ = true;
            setFrame((frame() + 1) % count);
            break;
        case PlayerAction::NextCamera:
            // Through the file's cameras and back to the first; a file
            // without cameras stays where it is.
            if (!loader_.cameras.empty()) {
                camera_ = (camera_ + 1) % static_cast<int>(loader_.cameras.size());
                orbit_ = {};
            }
            break;
        case PlayerAction::FrontView:
            chooseAxisView(AxisView::Front);
            break;
        case PlayerAction::TopView:
            chooseAxisView(AxisView::Top);
            break;
        case PlayerAction::LeftView:
            chooseAxisView(AxisView::Left);
            break;
        case PlayerAction::ToggleWire:
            options.wire = !options.wire;
            break;
        case PlayerAction::ToggleNormals:
            options.normals = !options.normals;
            break;
        case PlayerAction::ToggleTangentFrames:
            options.tangentFrames = !options.tangentFrames;
            break;
        case PlayerAction::Quit:
            quit_ = true;
            break;
    }
}

void ScenePlayer::orbit(double dx, double dy) {
    if (!std::isfinite(dx) || !std::isfinite(dy)) return;
    orbit_.yaw += dx * kOrbitPerPixel;
    orbit_.pitch = std::clamp(orbit_.pitch + dy * kOrbitPerPixel, -kMaxPitch, kMaxPitch);
}

void ScenePlayer::zoom(double steps) {
    if (!std::isfinite(steps)) return;
    orbit_.zoom = std::clamp(orbit_.zoom * std::pow(1.1, steps), 1e-3, 1e3);
}

bool ScenePlayer::chooseCamera(const std::string& name) {
    for (std::size_t i = 0; i < loader_.cameras.size(); ++i)
        if (loader_.cameras[i].name == name) {
            camera_ = static_cast<int>(i);
            orbit_ = {};
            return true;
        }
    return false;
}

void ScenePlayer::chooseAxisView(AxisView view) {
    camera_ = -1;
    axis_ = view;
    orbit_ = {};
}

ViewSetup ScenePlayer::viewSetup(int width, int height) const {
    const ScenePlacement& placement = renderer_.placement();
    const Bounds bounds = placement.bounds(frame());
    if (camera_ >= 0 && static_cast<std::size_t>(camera_) < loader_.cameras.size())
        return cameraViewSetup(placement.camera(static_cast<std::size_t>(camera_), frame()), orbit_,
                               bounds, width, height);
    return axisViewSetup(axis_, orbit_, bounds, width, height);
}

void ScenePlayer::draw(int width, int height) {
    if (width <= 0 || height <= 0) return;
    renderer_.draw(frame(), viewSetup(width, height), width, height, options);
}

std::string ScenePlayer::viewName() const {
    if (camera_ >= 0 && static_cast<std::size_t>(camera_) < loader_.cameras.size())
        return "camera " + loader_.cameras[camera_].name;
    return std::string(axisViewName(axis_)) + " view";
}

std::string ScenePlayer::title(double framesPerSecond) const {
    char rate[32];
    std::snprintf(rate, sizeof rate, "%.1f fps", framesPerSecond);
    return utf8Name(pathFromUtf8(path_).filename()) + " - frame " + std::to_string(frame() + 1) +
           "/" + std::to_string(frameCount()) + " - " + viewName() + " - " + rate +
           (paused_ ? " - paused" : "");
}
