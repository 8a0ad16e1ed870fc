#include "tools/capture/show_renderer.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "app/main_loop.h"
#include "app/main_window.h"
#include "app/startup_options.h"
#include "app/window_state.h"
#include "runtime/demo_clock.h"
#include "runtime/demo_driver.h"
#include "runtime/input_record.h"
#include "runtime/render_context.h"
#include "scene/scene_part.h"
#include "texturing/window_record.h"

double fadeStartAtFrameRate(int fps) {
    const long frame = static_cast<long>(std::floor(endTime * fps)) + 1;
    return static_cast<double>(frame) / fps;
}

bool ShowRenderer::open(int width, int height) {
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("BRONTAVIK_NO_MESSAGE_BOXES", "1", 0);
    width_ = width;
    height_ = height;
    musicEnabled = false;
    windowTopLeft = {0.0, 0.0, 0.0, 1};
    windowBottomRight = {static_cast<double>(width), static_cast<double>(height), 0.0, 1};
    if (!createMainWindow(kWindowTitle, width, height, 32, false)) return false;
    demoTime = 0.0;
    return true;
}

bool ShowRenderer::renderFrame(double step) {
    RenderContext& context = renderContext();
    InputRecord& input = inputRecord();
    frameDelta = step;
    demoTime += step;
    frameCount += 1;
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    context.textureSlotBase = 0;
    double sceneStep = step;
    sceneParts[0]->render(sceneStep, windowRecord(), context, input);
    if (demoTime > endTime) ending = true;
    if (ending && fadeOutStep() > fadeEndThreshold) return false;
    if (overlayEnabled) drawBrighteningLayer();
    glFinish();
    return true;
}

void ShowRenderer::assumeFadeBeganAtFrameRate(int fps) {
    ending = true;
    fadeStart = fadeStartAtFrameRate(fps);
}

std::vector<std::uint8_t> ShowRenderer::readPixels() const {
    const size_t row = static_cast<size_t>(width_) * 4;
    std::vector<std::uint8_t> bottomUp(row * height_);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, width_, height_, GL_RGBA, GL_UNSIGNED_BYTE, bottomUp.data());
    std::vector<std::uint8_t> topDown(bottomUp.size());
    for (int y = 0; y < height_; ++y)
        std::copy_n(bottomUp.data() + (height_ - 1 - y) * row, row, topDown.data() + y * row);
    return topDown;
}
