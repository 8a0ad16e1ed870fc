#pragma once
// The values of the main scene a maker may shape while it plays: the camera,
// the light, and colours and sizes its layers would otherwise take from
// constants. The defaults are the show's own values, exactly (constants the
// scene holds in single precision are the single-precision values widened
// to double), so a scene drawn with a default record is the show. Whoever
// drives the scene fills the record before each frame.
#include <optional>

struct SceneParameters {
    // Camera: each coordinate follows the show's camera path unless set.
    std::optional<double> eyeX, eyeY, eyeZ;
    std::optional<double> targetX, targetY, targetZ;
    // Vertical field of view, degrees.
    double fieldOfView = 75.0;

    // Light 0's direction in eye space and the grey of the ambient light.
    double lightX = -1.0;
    double lightY = 0.3;
    double lightZ = 0.0;
    double ambient = 1.0;

    // Grey of the spheres' wire cages (they darken what lies under them).
    double cageGrey = static_cast<double>(0.2f);
    // Horizontal radius step of the orbiting spheres: sphere i circles at
    // (i + 4) times it.
    double orbitSpacing = 2.4;
    // Size of the sky sphere (its radius is five times it).
    double skySize = 13.0;
    // Radius of the sphere the stars lie on, and their size factor.
    double starRadius = 60.0;
    double starSize = 0.3;
    // Height of the clouds' lowest placement, and a factor on their opacity.
    double cloudHeight = 12.0;
    double cloudOpacity = 1.0;
    // Size of the falling points in pixels of the 800 by 600 picture.
    double pointSize = 4.0;
    // The spires' smallest size (each adds up to 0.02 to it).
    double spireSize = 0.05;
    // The floor: height, the blue of its tiles and their largest opacity.
    double floorHeight = static_cast<double>(-0.41f);
    double floorBlue = static_cast<double>(0.4f);
    double floorOpacity = 0.8;
    // Size of the falling sprites.
    double spriteSize = 0.05;
    // Strength (alpha) of the film grain overlay.
    double filmStrength = 0.8;
};
