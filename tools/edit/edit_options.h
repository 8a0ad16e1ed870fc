#pragma once
// brontavik-edit's command line.
#include <optional>
#include <string>

#include "app/edit/edit_session.h"
#include "tools/command-line/command_line.h"

extern const command_line::ToolHelp kEditHelp;

// Reads the options into `options`; the exit status when the command line
// was answered (--help, --version) or cannot be used (named on standard
// error), none when the run may start.
std::optional<int> takeEditOptions(int argc, char** argv, EditOptions& options);

// HOST[:PORT] into the options; false with the problem.
bool parseEditorAddress(const std::string& text, EditOptions& options, std::string& problem);
