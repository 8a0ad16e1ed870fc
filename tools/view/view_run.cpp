#include "tools/view/view_run.h"

#include <chrono>
#include <cstdio>
#include <functional>
#include <thread>

#include "runtime/render_context.h"

namespace {

using Clock = std::chrono::steady_clock;

double since(Clock::time_point t) {
    return std::chrono::duration<double>(Clock::now() - t).count();
}

// Loads the file on a thread of its own while `openGl` makes a GL context
// current on this one, then sets the player up from the command line.
bool startScene(ScenePlayer& player, const ViewOptions& options,
                const std::function<bool(std::string& error)>& openGl, BenchTimes& times,
                std::string& error) {
    bool opened = false;
    std::string openError;
    std::thread loading([&] {
        const Clock::time_point t0 = Clock::now();
        opened = player.open(options.file, openError);
        times.load = since(t0);
    });
    const Clock::time_point glStarted = Clock::now();
    std::string glError;
    const bool glOpen = openGl(glError);
    times.glStart = since(glStarted);
    loading.join();
    // The file's reason first: it is what the user can do something about.
    if (!opened || !glOpen) {
        error = !opened ? openError : glError;
        return false;
    }
    if (!options.camera.empty() && !player.chooseCamera(options.camera)) {
        error = options.file + " has no camera named " + options.camera;
        return false;
    }
    if (options.view) player.chooseAxisView(*options.view);
    if (options.frame) player.setFrame(static_cast<std::uint32_t>(*options.frame));
    if (options.at) player.seek(*options.at);
    player.options.wire = options.wire;
    player.options.normals = options.normals;
    player.options.tangentFrames = options.tangentFrames;
    player.options.background = options.background;
    return true;
}

// Makes the textures, then writes the still, the video or the timings.
int drawOffscreen(OffscreenScene& scene, ScenePlayer& player, const ViewOptions& options,
                  BenchTimes& times, VideoWriter writeVideo) {
    const Clock::time_point texturesStarted = Clock::now();
    scene.setUp(player);
    times.textures = since(texturesStarted);
    std::string error;
    switch (options.mode) {
        case ViewOptions::Mode::Still:
            return writeStill(scene, player, options, error) ? 0 : failView(error);
        case ViewOptions::Mode::Video:
            if (writeVideo == nullptr) return failView("videos are not part of this build");
            return writeVideo(scene, player, options, error) ? 0 : failView(error);
        case ViewOptions::Mode::Bench:
            runBench(scene, player, options, times);
            return 0;
        case ViewOptions::Mode::Window:
            break;
    }
    return 0;
}

}  // namespace

int failView(const std::string& message) {
    std::fprintf(stderr, "brontavik-view: %s\n", message.c_str());
    return 1;
}

int runView(const ViewOptions& options, BenchTimes& times, const ViewBuild& build) {
    // The engine context's first loader holds the model for the whole run.
    ScenePlayer player(renderContext().loaderPool[0]);
    OffscreenScene scene;
    GlWindow window;
    const bool windowed = options.mode == ViewOptions::Mode::Window;
    auto openGl = [&](std::string& glError) {
        return windowed ? openGlWindow("brontavik-view", options.width, options.height, false,
                                       window, glError)
                        : scene.openGl(options, glError);
    };
    std::string error;
    if (!startScene(player, options, openGl, times, error)) return build.fail(error);
    if (windowed) return build.playInWindow(player, window);
    return drawOffscreen(scene, player, options, times, build.writeVideo);
}
