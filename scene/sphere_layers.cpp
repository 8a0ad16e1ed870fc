#include <cmath>

#include "runtime/render_context.h"
#include "scene/caged_sphere.h"
#include "scene/demo_random.h"
#include "scene/gl_headers.h"
#include "scene/point_math.h"
#include "scene/scene_layers.h"
#include "scene/scene_parameters.h"
#include "scene/timing_curves.h"

namespace scenelayers {

namespace {
void discardDraws(int count) {
    for (int i = 0; i < count; ++i) nextRandom();
}

void enableLight() {
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
}
}  // namespace

void drawOrbitingSpheres(RenderContext& context, double t, const SceneParameters& p) {
    seedRandom(40000);
    discardDraws(100);
    if (!(t < kSecondAct)) return;
    for (int i = 0; i < 17; ++i) {
        const double r1 = random01();
        context.setMaterial(0.6, 0.6, 0.9 * r1, 1.0, 1.0, 1.0);
        context.applyMaterial();
        enableLight();
        const double angularSpeed = 0.5 * random01();
        const double phase = 2.0 * scenemath::kPi * random01();
        const double a = angularSpeed * t + phase;
        const double height = 2.0 * random01() - 1.0;
        const Point4 position =
            scaled(Point4{std::sin(a), height, std::cos(a), 1}, (i + 4) * p.orbitSpacing);
        const double phaseTime = t - 3.0 * random01();
        const double size = 0.2 + 0.1 * random01();
        drawCagedSphere(position, size, phaseTime, p.cageGrey);
    }
}

void drawCentralAndSkySpheres(RenderContext& context, double t, const SceneParameters& p) {
    const Point4 origin{0.0, 0.0, 0.0, 1};

    context.setMaterial(0.0, 0.0, 0.5, 0.6, 0.6, 1.0);
    context.applyMaterial();
    enableLight();
    drawCagedSphere(origin, 1.0, 5.0, p.cageGrey);

    context.setMaterial(0.0, 0.0, 0.1, 0.0, 0.0, 0.3);
    context.applyMaterial();
    glEnable(GL_BLEND);
    glBlendFunc(GL_ZERO, GL_ONE_MINUS_SRC_COLOR);
    enableLight();
    drawCagedSphere(origin, p.skySize, t + 10.0, p.cageGrey);
}

}  // namespace scenelayers
