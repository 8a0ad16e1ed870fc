#pragma once
class RenderContext;

// Sets the context's camera for scene time t: a base view high above the
// centre, then four keys blended in turn with eased weights (a wide orbit
// below the spheres, a tight orbit round the central sphere, a swaying view
// among the spires, and the closing view straight down). Does not apply it.
void updateCameraPath(RenderContext& context, double t);

struct CameraFrame;
struct SceneParameters;

// Replaces each eye and target coordinate of `camera` that the parameters set.
void placeCamera(CameraFrame& camera, const SceneParameters& parameters);
