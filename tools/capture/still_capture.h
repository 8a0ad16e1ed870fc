#pragma once
#include <string>

#include "tools/capture/capture_options.h"

// Renders the one frame at options.at into the PNG file options.path;
// false with `error` set when it cannot.
bool captureStill(const CaptureOptions& options, std::string& error);
