#include <cmath>
#include <cstdint>

#include "runtime/input_record.h"
#include "runtime/render_context.h"
#include "scene/camera_path.h"
#include "scene/demo_random.h"
#include "scene/film_overlay.h"
#include "scene/gl_headers.h"
#include "scene/main_scene.h"
#include "scene/render_state.h"
#include "scene/scene_layers.h"
#include "texturing/window_record.h"

namespace {

// The film grain's seed: the low 32 bits of trunc(t * 1e8), so it changes
// every frame. A time too large for 64 bits (or not a number) seeds 0 rather
// than overflowing the conversion.
std::uint32_t filmSeed(double t) {
    const double scaledTime = std::trunc(t * 1e8);
    if (!(std::fabs(scaledTime) < 9.0e18)) return 0;
    return static_cast<std::uint32_t>(static_cast<std::int64_t>(scaledTime));
}

void setUpFrame() {
    glPushMatrix();
    glMatrixMode(GL_TEXTURE);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    resetRenderState();
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    glDisable(GL_CULL_FACE);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
}

// With the identity modelview matrix the light's direction is fixed in eye
// space: in the show from the viewer's left, slightly from above.
void setUpLight(RenderContext& context, const SceneParameters& parameters) {
    const double ambient = parameters.ambient;
    context.setLight(parameters.lightX, parameters.lightY, parameters.lightZ, ambient, ambient,
                     ambient);
    context.applyLight();
    glDisable(GL_LIGHTING);
}

}  // namespace

void MainScene::render(double& dt, WindowRecord& window, RenderContext& context,
                       InputRecord& input) {
    ShowClock clock;
    clock.frameDelta = dt;
    clock.sceneTime = timeAccumulator + dt;
    renderAt(clock, window, context, input);
}

void MainScene::renderAt(const ShowClock& clock, WindowRecord& window, RenderContext& context,
                         InputRecord& input) {
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    timeAccumulator = clock.sceneTime;
    sceneTime = clock.sceneTime;
    context.nearPlane = 0.01;
    context.farPlane = 120.0;
    // 75 degrees in the show: an offset of exactly 0.
    context.fovOffset = parameters.fieldOfView - 75.0;
    applyProjection(context, window);
    renderScene(context);
    seedRandom(filmSeed(sceneTime));
    drawFilmOverlay(parameters.filmStrength, 1.0, context);
    glPopAttrib();
    glFlush();
    input.auxValue = sceneTime;
}

void MainScene::renderScene(RenderContext& context) {
    using namespace scenelayers;
    const double t = sceneTime;
    const SceneParameters& p = parameters;

    setUpFrame();
    setUpLight(context, p);
    updateCameraPath(context, t);
    placeCamera(context.camera, p);
    context.applyCamera();
    // The blend in which the wire cages darken what lies under them.
    glEnable(GL_BLEND);
    glBlendFunc(GL_ZERO, GL_ONE_MINUS_SRC_COLOR);

    drawOrbitingSpheres(context, t, p);
    drawCentralAndSkySpheres(context, t, p);
    drawStars(context, slotBase, p);
    drawClouds(context, slotBase, t, p);
    drawFallingPoints(t, p);
    drawSpires(context, t, p);
    drawMirroredSpires(context, t, p);
    drawFloor(t, p);
    drawFallingSprites(context, slotBase, t, p);
    drawClosingImages(context, slotBase, t);

    glPopMatrix();
}
