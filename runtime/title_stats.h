#pragma once
// The statistics line written into the window title every frame: mapped
// mouse position, demo time, frame rate and the scene part's value.
#include <array>
#include <string>

#include "platform/platform.h"

struct InputRecord;

// The frame-rate window: demo seconds and frames counted since it last
// restarted (it restarts whenever it passes two seconds).
inline double fpsSeconds = 0.0;
inline int fpsFrames = 0;

// Adds this frame's time step to the frame-rate window; called right after
// the demo clock has stepped, with the step it produced.
void countFrame(double frameDelta);

// Frames per second over the current window (0 right after a restart).
double titleFrameRate();

// The 100-character title buffer: blanks up to column 85, NULs from 86,
// labels and numbers copied in at fixed columns without their terminators.
using TitleBuffer = std::array<char, 100>;
// The five number texts (x, y, time, rate, aux) placed after their labels.
TitleBuffer layoutTitle(const std::array<std::string, 5>& numbers);
TitleBuffer buildTitleBuffer(double mouseX, double mouseY, double time, double frameRate,
                             double aux);
// The buffer's text up to its first NUL.
std::string titleText(const TitleBuffer& buffer);

// Stores the frame rate into input.frameRate and sets the title of `window`
// to the statistics line (mouse from `input`, the demo time, `aux`).
void updateTitleStats(double aux, double demoTime, InputRecord& input,
                      platform::WindowHandle window);
