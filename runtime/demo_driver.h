#pragma once
// Demo initialisation and the per-frame driver with the end of the demo.
class ScenePart;

inline ScenePart* sceneParts[1] = {};
inline bool ending = false;
inline double fadeStart = -1.0;
inline double fadeRate = static_cast<double>(0.35f);
inline int frameCount = 0;
inline int startPosition = -4;
inline bool frameLogEnabled = false;

inline constexpr double endTime = 81.0;

void initDemo();
void drawFrame();
