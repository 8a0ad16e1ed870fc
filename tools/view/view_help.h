#pragma once
// brontavik-view's --help: what every build offers, with the options a
// build adds and a paragraph on what it leaves out.
#include <string>

#include "tools/command-line/command_line.h"

class ViewHelp {
  public:
    // `modes` the output options of the usage line ("--png OUT | --bench N"),
    // `buildOptions` option lines after the common ones, `buildNote` a
    // paragraph after the description; either may be empty.
    ViewHelp(const std::string& modes, const std::string& buildOptions,
             const std::string& buildNote);
    ViewHelp(const ViewHelp&) = delete;
    ViewHelp& operator=(const ViewHelp&) = delete;

    const command_line::ToolHelp& help() const { return help_; }

  private:
    std::string usage_;
    std::string details_;
    std::string options_;
    command_line::ToolHelp help_;
};
