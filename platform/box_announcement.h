#pragma once
// What every build does before it shows a message box: the caption and text
// go to standard error, and with BRONTAVIK_NO_MESSAGE_BOXES=1 (tests,
// headless runs) no box is shown and its first button counts as pressed.
#include "platform/platform.h"

namespace platform {

// Yes for a Yes/No box, OK for an OK box.
BoxAnswer firstButton(BoxButtons buttons);

// Writes "caption: text" to standard error; false when boxes are switched off.
bool announceBox(const char* text, const char* caption);

}  // namespace platform
