#pragma once
// The player's keys, named for what they are on any keyboard, and the
// actions they stand for; a build's main maps its own key codes to these.
#include <optional>

enum class PlayerKey { Space, Left, Right, Tab, F, T, L, W, N, B, Escape };

enum class PlayerAction {
    TogglePause,          // Space
    StepBack,             // Left: one frame back, paused
    StepForward,          // Right: one frame on, paused
    NextCamera,           // Tab: the file's next camera
    FrontView,            // F
    TopView,              // T
    LeftView,             // L
    ToggleWire,           // W
    ToggleNormals,        // N
    ToggleTangentFrames,  // B
    Quit,                 // Escape
};

std::optional<PlayerAction> actionForKey(PlayerKey key);
