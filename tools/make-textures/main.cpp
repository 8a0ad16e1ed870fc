// Draws the demo's six texture pictures and writes them as JPEG files.
// Usage: make-textures OUTPUT_DIR [FONT_DIR]
#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>
#include <vector>

#include "jpeg_writer.h"
#include "pictures.h"
#include "tools/command-line/command_line.h"

namespace {

const command_line::ToolHelp kHelp = {
    "make-textures",
    "OUTPUT_DIR [FONT_DIR]",
    "Draw Brontavik's six texture pictures and write them as JPEG files into OUTPUT_DIR.",
    "FONT_DIR holds the DejaVu Sans and Serif fonts (regular and bold); it defaults to\n"
    "/usr/share/fonts/truetype/dejavu/. OUTPUT_DIR is created when missing.\n",
    "",
    " 0  all six pictures were written\n"
    " 1  a font could not be read or a picture could not be written\n"
    " 2  a command line it cannot use\n"};

void write(const std::filesystem::path& dir, const char* name, const Canvas& c,
           const JpegOptions& options) {
    writeJpeg((dir / name).string(), c.width, c.height, c.toBytes(), options);
}

}  // namespace

int main(int argc, char** argv) {
    if (auto answered = command_line::answerHelpOrVersion(argc, argv, kHelp)) return *answered;
    std::vector<std::string> operands;
    if (auto bad = command_line::collectOperands(argc, argv, kHelp, operands)) return *bad;
    if (operands.empty() || operands.size() > 2) {
        return command_line::badArguments(kHelp,
                                          "expected OUTPUT_DIR and an optional FONT_DIR, got " +
                                              std::to_string(operands.size()) + " arguments");
    }
    std::filesystem::path dir = operands[0];
    std::string fontDir = operands.size() == 2 ? operands[1] : "/usr/share/fonts/truetype/dejavu/";
    if (!fontDir.empty() && fontDir.back() != '/') fontDir += '/';
    try {
        std::filesystem::create_directories(dir);
        // The decoder meets baseline and progressive files, full and halved
        // chroma and restart markers across these six.
        write(dir, "blob41bc.jpg", drawGlow(128), {.quality = 95});
        CloudPair clouds = drawClouds(256);
        write(dir, "clouds4.jpg", clouds.colour,
              {.quality = 90, .progressive = true, .fullChroma = false});
        write(dir, "clouds4a.jpg", clouds.opacity, {.quality = 95});
        write(dir, "codergr.jpg", drawCredits(512, fontDir), {.quality = 92, .progressive = true});
        write(dir, "merry.jpg", drawGreeting(512, fontDir), {.quality = 92, .fullChroma = false});
        write(dir, "superfilm3.jpg", drawFilmGrain(256), {.quality = 92, .restartRows = 4});
    } catch (const std::exception& e) {
        std::fprintf(stderr, "make-textures: %s\n", e.what());
        return 1;
    }
    return 0;
}
