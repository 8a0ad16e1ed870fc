#pragma once
#include <cstdint>

// Handed to the scene part every frame: mapped mouse, timeline part,
// envelopes, frame rate, fade level, spectrum, and the value the title shows
// after "Aux:" (the scene writes its time there).
struct InputRecord {
    double mouseX = 0.0;
    double mouseY = 0.0;
    std::int32_t partIndex = 0;
    std::int32_t partRow = 0;
    double auxValue = 0.0;
    double auxValue2 = 0.0;
    double frameRate = 0.0;
    double fadeOut = 0.0;
    double swingMid = 0.0;
    double swingFast = 0.0;
    double swingSlow = 0.0;
    float spectrum[512] = {};
};

InputRecord& inputRecord();
