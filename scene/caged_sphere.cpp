#include "scene/caged_sphere.h"

#include <array>
#include <cmath>

#include "scene/demo_random.h"
#include "scene/gl_headers.h"
#include "scene/point_math.h"
#include "scene/render_state.h"
#include "scene/timing_curves.h"

namespace {

constexpr int kSegments = 21;  // per band; with a step of pi/10 the 21st lies over the first

// sin and cos of j * pi/10 for j = 0 .. 21, the same values every call.
struct SegmentAngles {
    std::array<double, kSegments + 1> sine;
    std::array<double, kSegments + 1> cosine;
};

SegmentAngles makeSegmentAngles() {
    SegmentAngles angles{};
    for (int j = 0; j <= kSegments; ++j) {
        const double c = j * scenemath::kPi / 10.0;
        angles.sine[j] = std::sin(c);
        angles.cosine[j] = std::cos(c);
    }
    return angles;
}

const SegmentAngles kAngles = makeSegmentAngles();

// Radius factor of the ring at height index m (of -5 .. 5); the 1.001 keeps
// the pole rings at a small radius instead of 0.
double ringRadius(int m) {
    const double h = 0.2 * m;
    return std::sqrt(1.001 - h * h);
}

void vertex(double x, double y, double z) {
    glVertex3f(static_cast<GLfloat>(x), static_cast<GLfloat>(y), static_cast<GLfloat>(z));
}

void drawSolidBands(double a) {
    glDisable(GL_BLEND);
    glEnable(GL_DEPTH_TEST);
    glDisable(GL_TEXTURE_2D);
    glColor3f(0.2f, 0.4f, 1.0f);
    for (int k = -4; k <= 5; ++k) {
        const int m0 = k - 1;
        const int m1 = k;
        const double r0 = 5.0 * ringRadius(m0);
        const double r1 = 5.0 * ringRadius(m1);
        glBegin(GL_QUADS);
        for (int j = 0; j < kSegments; ++j) {
            glColor3f(0.2f, 0.4f, static_cast<GLfloat>(j % 2));
            const double s0 = kAngles.sine[j], c0 = kAngles.cosine[j];
            const double s1 = kAngles.sine[j + 1], c1 = kAngles.cosine[j + 1];
            Point4 normal{r0 * s0, static_cast<double>(m0), r0 * c0, 1};
            normalize(normal);
            glNormal3f(static_cast<GLfloat>(normal.x), static_cast<GLfloat>(normal.y),
                       static_cast<GLfloat>(normal.z));
            vertex(a * r0 * s0, a * m0, a * r0 * c0);
            vertex(a * r1 * s0, a * m1, a * r1 * c0);
            vertex(a * r1 * s1, a * m1, a * r1 * c1);
            vertex(a * r0 * s1, a * m0, a * r0 * c1);
        }
        glEnd();
    }
}

void drawCage(double a, double growth, double grey) {
    glEnable(GL_BLEND);
    glEnable(GL_DEPTH_TEST);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_LIGHTING);
    const GLfloat g = static_cast<GLfloat>(grey);
    glColor3f(g, g, g);
    glLineWidth(static_cast<GLfloat>(2.0 * pixelScale));
    const double limit = kSegments * growth;
    for (int k = -4; k <= 5; ++k) {
        const double w0 = 5.1 * a * ringRadius(k - 1);
        const double w1 = 5.1 * a * ringRadius(k);
        const double y0 = a * (k - 1);
        const double y1 = a * k;
        glBegin(GL_LINES);
        for (int j = 0; j < limit; ++j) {
            const double s0 = kAngles.sine[j], c0 = kAngles.cosine[j];
            const double s1 = kAngles.sine[j + 1], c1 = kAngles.cosine[j + 1];
            vertex(w0 * s0, y0, w0 * c0);
            vertex(w1 * s0, y1, w1 * c0);
            vertex(w0 * s0, y0, w0 * c0);
            vertex(w0 * s1, y0, w0 * c1);
        }
        glEnd();
    }
}

}  // namespace

void drawCagedSphere(const Point4& position, double size, double phaseTime, double cageGrey) {
    const double grow = std::sin(clamp01(0.2 * phaseTime) * scenemath::kPi / 2.0);
    const double growth = grow * grow * grow * grow;

    glPushMatrix();
    glTranslatef(static_cast<GLfloat>(position.x), static_cast<GLfloat>(position.y),
                 static_cast<GLfloat>(position.z));
    const double r1 = random01();
    const double r2 = random01();
    const double r3 = random01();
    const double r4 = random01();
    glRotatef(static_cast<GLfloat>(r4 * phaseTime), static_cast<GLfloat>(r3 - 0.5),
              static_cast<GLfloat>(r2 - 0.5), static_cast<GLfloat>(r1 - 0.5));
    const GLfloat s = static_cast<GLfloat>(growth);
    glScalef(s, s, s);

    drawSolidBands(size);
    drawCage(size, growth, cageGrey);

    glPopMatrix();
}
