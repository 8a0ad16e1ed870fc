// Draws the application icon at the usual sizes into a hicolor icon tree.
// Usage: make-icons OUTPUT_DIR   (writes OUTPUT_DIR/NxN/apps/brontavik.png)
#include <cmath>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>
#include <vector>

#include "icon.h"
#include "png_writer.h"
#include "tools/command-line/command_line.h"

namespace {

const command_line::ToolHelp kHelp = {
    "make-icons",
    "OUTPUT_DIR",
    "Draw Brontavik's application icon at 16 to 512 pixels into a hicolor icon tree.",
    "Writes OUTPUT_DIR/NxN/apps/brontavik.png for N = 16, 32, 48, 64, 128, 256 and 512;\n"
    "OUTPUT_DIR is created when missing.\n",
    "",
    " 0  every size was written\n"
    " 1  a picture could not be written\n"
    " 2  a command line it cannot use\n"};

}  // namespace

int main(int argc, char** argv) {
    if (auto answered = command_line::answerHelpOrVersion(argc, argv, kHelp)) return *answered;
    std::vector<std::string> operands;
    if (auto bad = command_line::collectOperands(argc, argv, kHelp, operands)) return *bad;
    if (operands.size() != 1)
        return command_line::badArguments(
            kHelp, "expected OUTPUT_DIR, got " + std::to_string(operands.size()) + " arguments");
    try {
        for (int size : {16, 32, 48, 64, 128, 256, 512}) {
            const std::string name = std::to_string(size) + "x" + std::to_string(size);
            const std::filesystem::path dir = std::filesystem::path(operands[0]) / name / "apps";
            std::filesystem::create_directories(dir);
            const Icon icon = drawIcon(size);
            const std::vector<std::uint8_t> rgb = icon.colour.toBytes();
            std::vector<std::uint8_t> rgba;
            rgba.reserve(static_cast<std::size_t>(size) * size * 4);
            for (std::size_t i = 0; i < icon.opacity.v.size(); ++i) {
                rgba.insert(rgba.end(), {rgb[i * 3], rgb[i * 3 + 1], rgb[i * 3 + 2]});
                rgba.push_back(
                    static_cast<std::uint8_t>(std::lround(clamp01(icon.opacity.v[i]) * 255)));
            }
            writePngRgba((dir / "brontavik.png").string(), size, size, rgba);
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "make-icons: %s\n", e.what());
        return 1;
    }
    return 0;
}
