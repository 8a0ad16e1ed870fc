#include "tools/edit/edit_options.h"

#include <cerrno>
#include <cstdlib>

const command_line::ToolHelp kEditHelp = {
    "brontavik-edit",
    "[--sync HOST[:PORT]] [--tracks DIR] [--play]",
    "Play the Brontavik show in a window for shaping it live with a sync editor (GNU Rocket's "
    "protocol), or play tracks exported from one.",
    "The show opens in an 800 by 600 window and connects to the sync editor; while none\n"
    "answers it plays as the show does and tries again about once a second. The editor's\n"
    "keys shape the show's tracks at 16 rows a second (8 rows a beat); its cursor, pause and\n"
    "save commands move, hold and export the show. Without an editor: Space pauses, Left and\n"
    "Right seek 1 s, Page Up and Page Down 10 s, Home goes to the start, M marks the current\n"
    "time, L loops between the last two marks (again: stops looping). Escape fades the show\n"
    "out and ends it; closing the window ends it at once.\n",
    "  --sync HOST[:PORT]  the sync editor's address (default 127.0.0.1:1338)\n"
    "  --tracks DIR        where the editor's save writes the track files and --play reads\n"
    "                      them (default sync, in the folder it was started in)\n"
    "  --play              play the tracks in DIR, with no editor\n",
    " 0  the window was closed or the show ended\n"
    " 1  the show could not start: the editor's address cannot be found, the track folder or a\n"
    "    track file cannot be read or is damaged, or the show's data is missing\n"
    " 2  a command line it cannot use\n"};

namespace {

bool parsePort(const std::string& digits, int& port, std::string& problem) {
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(digits.c_str(), &end, 10);
    if (digits.empty() || *end != '\0' || errno != 0 || value < 1 || value > 65535) {
        problem = "--sync: '" + digits + "' is not a port (1 to 65535)";
        return false;
    }
    port = static_cast<int>(value);
    return true;
}

}  // namespace

bool parseEditorAddress(const std::string& text, EditOptions& options, std::string& problem) {
    std::string host = text;
    int port = 1338;
    std::string portText;
    bool hasPort = false;
    if (!text.empty() && text.front() == '[') {
        // An IPv6 address in brackets, as in [::1]:1338.
        const std::size_t close = text.find(']');
        const std::string rest = close == std::string::npos ? "" : text.substr(close + 1);
        if (close == std::string::npos || !(rest.empty() || rest.front() == ':')) {
            problem = "--sync: '" + text + "' is not HOST[:PORT]";
            return false;
        }
        host = text.substr(1, close - 1);
        hasPort = !rest.empty();
        if (hasPort) portText = rest.substr(1);
    } else if (text.find(':') != std::string::npos && text.find(':') == text.rfind(':')) {
        // One colon: HOST:PORT; more are a bare IPv6 address.
        host = text.substr(0, text.find(':'));
        portText = text.substr(text.find(':') + 1);
        hasPort = true;
    }
    if (hasPort && !parsePort(portText, port, problem)) return false;
    if (host.empty()) {
        problem = "--sync: no host in '" + text + "'";
        return false;
    }
    options.host = host;
    options.port = port;
    return true;
}

std::optional<int> takeEditOptions(int argc, char** argv, EditOptions& options) {
    if (const auto answered = command_line::answerHelpOrVersion(argc, argv, kEditHelp))
        return answered;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        const bool needsValue = argument == "--sync" || argument == "--tracks";
        if (needsValue && i + 1 >= argc)
            return command_line::badArguments(kEditHelp, argument + " needs a value");
        std::string problem;
        if (argument == "--sync") {
            if (!parseEditorAddress(argv[++i], options, problem))
                return command_line::badArguments(kEditHelp, problem);
        } else if (argument == "--tracks") {
            options.tracksFolder = argv[++i];
            if (options.tracksFolder.empty())
                return command_line::badArguments(kEditHelp, "--tracks needs a folder");
        } else if (argument == "--play") {
            options.play = true;
        } else {
            return command_line::badArguments(kEditHelp, "unknown argument '" + argument + "'");
        }
    }
    return std::nullopt;
}
