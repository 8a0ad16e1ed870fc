#include "tools/view/view_output.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "platform/gl_library.h"
#include "runtime/render_context.h"
#include "scene/gl_headers.h"
#include "tools/capture/capture_system.h"
#include "tools/capture/framing.h"
#include "tools/capture/png_output.h"
#include "tools/capture/render_target.h"
#include "tools/view/gl_window.h"

namespace {

// Draws one small lit triangle the way scenes are drawn, so that the GL
// makes its programs for that state while the file is still loading.
void warmUp(int width, int height) {
    Model3dsLoader model;
    Mesh3ds mesh;
    mesh.resizeVertices(3);
    mesh.positions = {{0, 0, 0}, {1, 0, 0}, {0, 0, 1}};
    mesh.normals.assign(3, {0, -1, 0});
    mesh.faces.resize(1);
    mesh.faces[0].a = 0;
    mesh.faces[0].b = 1;
    mesh.faces[0].c = 2;
    mesh.triangles = {{0, 1, 2}};
    model.meshes.push_back(std::move(mesh));
    SceneRenderer renderer;
    renderer.prepare(model);
    renderer.draw(0,
                  axisViewSetup(AxisView::Front, {}, renderer.placement().bounds(0), width, height),
                  width, height, DrawOptions{});
    glFinish();
}

}  // namespace

bool OffscreenScene::openGl(const ViewOptions& options, std::string& error) {
    requestHiddenWindow();
    if (!openGlWindow("brontavik-view", 64, 48, true, window_, error)) return false;
    neverWaitForDisplay();
    width_ = options.width;
    height_ = options.height;
    supersample_ = options.supersample;
    if (!target_.create(width_ * supersample_, height_ * supersample_, error)) return false;
    picture_.resize(static_cast<std::size_t>(target_.width()) * target_.height() * 4);
    frame_.resize(static_cast<std::size_t>(width_) * height_ * 4);
    warmUp(target_.width(), target_.height());
    return true;
}

void OffscreenScene::setUp(ScenePlayer& player) {
    std::vector<std::string> warnings;
    player.setUpGl(renderContext(), warnings);
    for (const std::string& w : warnings) std::fprintf(stderr, "brontavik-view: %s\n", w.c_str());
}

const std::vector<std::uint8_t>& OffscreenScene::render(ScenePlayer& player) {
    player.draw(target_.width(), target_.height());
    platform::finishGlFrame();
    target_.read(picture_.data());
    placePicture(picture_.data(), supersample_, {0, 0, width_, height_}, width_, frame_.data());
    return frame_;
}

void OffscreenScene::draw(ScenePlayer& player) {
    player.draw(target_.width(), target_.height());
    platform::finishGlFrame();
    glFinish();
}

OffscreenScene::~OffscreenScene() {
    closeGlWindow(window_);
}

bool writeStill(OffscreenScene& scene, ScenePlayer& player, const ViewOptions& options,
                std::string& error) {
    const std::vector<std::uint8_t>& frame = scene.render(player);
    return writeFramePng(options.output, frame, scene.width(), scene.height(), error);
}

void runBench(OffscreenScene& scene, ScenePlayer& player, const ViewOptions& options,
              const BenchTimes& times0) {
    using Clock = std::chrono::steady_clock;
    auto seconds = [](Clock::duration d) { return std::chrono::duration<double>(d).count(); };
    const Clock::time_point started = times0.started;
    const std::uint32_t first = player.frame();
    std::vector<double> times;
    times.reserve(static_cast<std::size_t>(options.benchFrames));
    double firstFrame = 0;
    for (long k = 0; k < options.benchFrames; ++k) {
        player.setFrame(first + static_cast<std::uint32_t>(k));
        const Clock::time_point t0 = Clock::now();
        scene.draw(player);
        const Clock::time_point t1 = Clock::now();
        times.push_back(seconds(t1 - t0) * 1000.0);
        if (k == 0) firstFrame = seconds(t1 - started);
    }
    std::vector<double> sorted = times;
    std::sort(sorted.begin(), sorted.end());
    double sum = 0;
    for (double t : times) sum += t;
    std::printf("%s: %dx%d, %zu meshes, %ld frames from frame %u\n", options.file.c_str(),
                options.width, options.height, player.model().meshes.size(), options.benchFrames,
                first);
    std::printf(
        "first frame %.3f s after start (load %.3f s and GL start %.3f s side by side, "
        "textures %.3f s, draw %.1f ms)\n",
        firstFrame, times0.load, times0.glStart, times0.textures, times.front());
    std::printf("frame time: median %.2f ms, worst %.2f ms, mean %.2f ms\n",
                sorted[sorted.size() / 2], sorted.back(), sum / times.size());
}
