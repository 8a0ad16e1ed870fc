#pragma once
// Everything of the show a maker may shape besides its clock: the scene's
// values, the timeline's and the brightness of the whole picture. A default
// record is the show as it ships.
#include "scene/scene_parameters.h"
#include "timeline/envelopes.h"

struct ShowParameters {
    // A factor on the whole picture: 1 leaves it as it is, 0 is black.
    double brightness = 1.0;
    SceneParameters scene;
    TimelineParameters timeline;
};
