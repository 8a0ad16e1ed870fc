#pragma once
// The layers of the main scene, in the order renderScene draws them. Each
// changes only the GL state it names and relies on what the layers before it
// left; the demo generator is re-seeded only where noted, so the number of
// draws each layer makes shapes everything drawn after it.
class RenderContext;
#include "scene/scene_parameters.h"

namespace scenelayers {

// The scene's time limits: the orbiting spheres and falling points end, and
// the floor begins, strictly at this time.
inline constexpr double kSecondAct = 34.3;

// Seeds the generator (40000), discards 100 draws, then, only while
// t < kSecondAct, draws the 17 orbiting spheres (ten draws each).
void drawOrbitingSpheres(RenderContext& context, double t, const SceneParameters& p = {});
// The central sphere and the sky sphere around everything.
void drawCentralAndSkySpheres(RenderContext& context, double t, const SceneParameters& p = {});
// 1500 star sprites on a sphere of radius 60 in the show (slot 10).
void drawStars(RenderContext& context, int slotBase, const SceneParameters& p = {});
// Six cloud sprites above the scene, fading in from 10 s (slot 20).
void drawClouds(RenderContext& context, int slotBase, double t, const SceneParameters& p = {});
// 200 falling points, only while 17 < t < kSecondAct.
void drawFallingPoints(double t, const SceneParameters& p = {});
// Seeds the generator (30100) and draws the twenty spires.
void drawSpires(RenderContext& context, double t, const SceneParameters& p = {});
// The spires again, mirrored in the plane y = -0.42.
void drawMirroredSpires(RenderContext& context, double t, const SceneParameters& p = {});
// 400 overlapping translucent tiles, only while t > kSecondAct.
void drawFloor(double t, const SceneParameters& p = {});
// 200 falling sprites, fading out from 72 s (slot 12).
void drawFallingSprites(RenderContext& context, int slotBase, double t,
                        const SceneParameters& p = {});
// The two closing images (slots 40 and 41), drawn every frame, black until
// their start times.
void drawClosingImages(RenderContext& context, int slotBase, double t);

}  // namespace scenelayers
