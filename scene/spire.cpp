#include "scene/spire.h"

#include <array>
#include <cmath>

#include "scene/demo_random.h"
#include "scene/gl_headers.h"
#include "scene/point_math.h"
#include "scene/timing_curves.h"

namespace {

constexpr int kProfileSize = 21;
constexpr int kMinSides = 4;
constexpr int kMaxSides = 7;

// sin and cos of 2 pi k / n for k = 0 .. n + 1, for each side count n.
struct SideAngles {
    std::array<std::array<double, kMaxSides + 2>, kMaxSides + 1> sine{};
    std::array<std::array<double, kMaxSides + 2>, kMaxSides + 1> cosine{};
};

SideAngles makeSideAngles() {
    SideAngles angles;
    for (int n = kMinSides; n <= kMaxSides; ++n) {
        for (int k = 0; k <= n + 1; ++k) {
            const double c = 2.0 * scenemath::kPi * k / n;
            angles.sine[n][k] = std::sin(c);
            angles.cosine[n][k] = std::cos(c);
        }
    }
    return angles;
}

const SideAngles kAngles = makeSideAngles();

void vertex(double x, double y, double z) {
    glVertex3f(static_cast<GLfloat>(x), static_cast<GLfloat>(y), static_cast<GLfloat>(z));
}

}  // namespace

void drawSpire(const Point4& position, double size, double growth) {
    glPushMatrix();
    glTranslatef(static_cast<GLfloat>(position.x), static_cast<GLfloat>(position.y),
                 static_cast<GLfloat>(position.z));
    const GLfloat g = static_cast<GLfloat>(clamp01(growth));
    glScalef(g, g, g);
    glDisable(GL_BLEND);
    glEnable(GL_DEPTH_TEST);
    glDisable(GL_TEXTURE_2D);

    const double jitter = random01() + 0.5;
    // Radius per ring: about 5 at the bottom, 0.3 less per level, with a random
    // jitter; the two top entries are zeroed (their draws are still made).
    double profile[kProfileSize];
    for (int i = 0; i < kProfileSize; ++i) {
        profile[i] = (2.0 * random01() - 1.0) * jitter + (5.0 - 0.3 * i);
    }
    profile[19] = 0.0;
    profile[20] = 0.0;
    const double levelHeight = random01() + 1.0;
    const int sides = nextRandom() % 4 + kMinSides;
    nextRandom();  // decides nothing: the first level is always drawn

    const auto& sine = kAngles.sine[sides];
    const auto& cosine = kAngles.cosine[sides];
    const double a = size;
    for (int j = 0;; ++j) {
        glEnable(GL_LIGHTING);
        if (j % 5 == 0) glDisable(GL_LIGHTING);
        const double p0 = profile[j];
        const double p1 = profile[j + 1];
        const double y0 = (j - 5) * levelHeight;
        const double y1 = (j - 4) * levelHeight;
        glBegin(GL_QUADS);
        for (int k = 0; k <= sides; ++k) {
            glColor3f(0.2f, 0.0f, 0.0f);
            const double s0 = sine[k], c0 = cosine[k];
            const double s1 = sine[k + 1], c1 = cosine[k + 1];
            Point4 normal{p0 * s0, y0, p0 * c0, 1};
            normalize(normal);
            glNormal3f(static_cast<GLfloat>(normal.x), static_cast<GLfloat>(normal.y),
                       static_cast<GLfloat>(normal.z));
            vertex(a * p0 * s0, a * y0, a * p0 * c0);
            vertex(a * p1 * s0, a * y1, a * p1 * c0);
            vertex(a * p1 * s1, a * y1, a * p1 * c1);
            vertex(a * p0 * s1, a * y0, a * p0 * c1);
        }
        glEnd();
        if (!(j + 1 < 10 + nextRandom() % 8)) break;
    }

    glPopMatrix();
}
