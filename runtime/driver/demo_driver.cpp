#include "runtime/driver/demo_driver.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>

#include "platform/platform.h"
#include "runtime/demo_clock.h"
#include "runtime/input_record.h"
#include "runtime/render_context.h"
#include "runtime/startup_options.h"
#include "runtime/title_stats.h"
#include "runtime/window_state.h"
#include "scene/billboards.h"
#include "scene/main_scene.h"
#include "scene/render_state.h"
#include "texturing/texture_slots.h"
#include "texturing/window_record.h"
#include "timeline/envelopes.h"
#include "timeline/timeline.h"

namespace {

void ignoreProgress(double) {}

// The start times the start-position facility can jump to.
double startPositionTime(int position, double current) {
    switch (position) {
        case 1:
            return 32.2;
        case 2:
            return 74.1;
        case 3:
            return 130.0;
        case 4:
            return 209.0;
        case 5:
            return 296.88;
        default:
            return current;
    }
}

// A grey quad over the whole picture, blended with the given factors; with
// `overEverything` depth testing is off, so nothing of the scene hides it.
void drawPictureLayer(GLenum source, GLenum destination, double grey, bool overEverything) {
    glPushAttrib(~0u);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45.0, 1.0, static_cast<double>(0.1f), 100.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glPushMatrix();
    glLoadIdentity();
    gluLookAt(0, 3, 0, 0, 0, 0, 0, 0, 1);
    glScalef(1.0f, 1.0f, 0.7f);
    if (overEverything) glDisable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    glBlendFunc(source, destination);
    glDisable(GL_LIGHTING);
    const auto g = static_cast<GLfloat>(grey);
    glColor3f(g, g, g);
    glDisable(GL_TEXTURE_2D);
    drawBillboard(0.0, 50.0, 50.0);
    glPopMatrix();
    glPopAttrib();
}

void hideCursor() {
    platform::Platform& system = platform::current();
    while (system.showCursor(false) > -1) {
    }
    system.showCursor(false);
}

}  // namespace

void initDemo() {
    RenderContext& context = renderContext();
    context.progressCallback = ignoreProgress;
    windowRecord().setUpPixelBuffer();
    context.detectGraphicsCard();
    context.textureSlotBase = 0;
    loadFilmTexture(context);
    context.textureSlotBase = 0;
    sceneParts[0] = new MainScene();
    sceneParts[0]->init(context);
    hideCursor();
    if (musicEnabled) startMusic();
    startClock();
    buildTimeline();
    if (frameLogEnabled) context.openFrameLog(kFrameLogFile, 350.0);
    demoTime = 0.0;
    showClock.sceneTime = 0.0;
}

void drawFrame() {
    if (drawShowFrame(stepShowClock)) return;
    if (musicEnabled) closeMusic();
    if (windowRelease != nullptr) windowRelease();
    platform::current().exitProcess(0);
}

void stepShowClock() {
    stepDemoClock();
    showClock.sceneTime += showClock.frameDelta;
}

bool drawShowFrame(const std::function<void()>& advanceClock, const FrameShaper& shape) {
    RenderContext& context = renderContext();
    InputRecord& input = inputRecord();
    int cursorX = 0, cursorY = 0;
    platform::current().cursorPosition(cursorX, cursorY);

    advanceClock();
    ShowParameters parameters;
    if (shape) shape(showClock, parameters);
    if (frameLogEnabled) {
        const double step = std::max(frameDelta, static_cast<double>(0.00001f));
        context.storeFrameSample(1.0 / step, demoTime, 0);
    }
    frameCount += 1;
    countFrame(frameDelta);

    input.mouseX = (cursorX - 320) * 0.04;
    input.mouseY = (cursorY - 320) * 0.04;

    updateTimelineInput(showClock, parameters.timeline, input);

    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    context.textureSlotBase = 0;
    if (musicEnabled) std::memcpy(input.spectrum, musicSpectrum(), sizeof input.spectrum);

    if (auto* scene = dynamic_cast<MainScene*>(sceneParts[0])) scene->parameters = parameters.scene;
    sceneParts[0]->renderAt(showClock, windowRecord(), context, input);
    drawBrightnessLayer(parameters.brightness);

    if (demoTime > endTime) ending = true;
    if (startPosition >= 0 && frameCount == 1) {
        demoTime = startPositionTime(startPosition, demoTime);
        repositionMusic(demoTime);
    }
    updateTitleStats(input.auxValue, demoTime, input, mainWindow);

    if (ending && fadeOutStep() > fadeEndThreshold) return false;
    if (overlayEnabled) drawBrighteningLayer();
    return true;
}

double fadeLevel(double time, double start) {
    return std::clamp((time - start) * fadeRate, 0.0, 1.0);
}

double fadeOutStep() {
    if (fadeStart < 0.0) fadeStart = demoTime;
    const double fade = (demoTime - fadeStart) * fadeRate;
    const double level = fadeLevel(demoTime, fadeStart);
    inputRecord().fadeOut = 1.0 - std::clamp(5.0 * fade, 0.0, 1.0);
    if (musicEnabled) setMusicVolume(static_cast<int>(255.0 - 255.0 * level));
    drawFadeLayer(level);
    return level;
}

void drawFadeLayer(double level) {
    drawPictureLayer(GL_ZERO, GL_ONE_MINUS_SRC_COLOR, level, false);
}

void drawBrightnessLayer(double factor) {
    if (factor == 1.0 || std::isnan(factor)) return;
    if (factor < 1.0) {
        // The picture times the factor.
        drawPictureLayer(GL_ZERO, GL_SRC_COLOR, std::max(factor, 0.0), true);
        return;
    }
    // The picture plus the picture times (f - 1): at most doubling it per
    // pass, since GL clamps the colour to 1. Beyond 256 every lit pixel is
    // white anyway.
    double remaining = std::min(factor, 256.0);
    while (remaining > 1.0) {
        const double f = std::min(remaining, 2.0);
        drawPictureLayer(GL_DST_COLOR, GL_ONE, f - 1.0, true);
        remaining /= f;
    }
}

void drawBrighteningLayer() {
    glPushAttrib(~0u);
    resetRenderState();
    glPushMatrix();
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(75.0, 1.0, 0.01, 10.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    gluLookAt(0, 1.2, 0, 0, 0, 0, 0, 0, 1);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE);
    glColor3f(0.018f, 0.018f, 0.018f);
    glPushMatrix();
    drawBillboard(0.0, 3.0, 3.0);
    glPopMatrix();
    glPopMatrix();
    glPopAttrib();
}
