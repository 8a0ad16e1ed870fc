// make-music OUT.ogg: synthesises the demo's soundtrack and writes it as Ogg Vorbis.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "tools/command-line/command_line.h"
#include "tools/make-music/ogg_vorbis_writer.h"
#include "tools/make-music/soundtrack.h"

namespace {

const command_line::ToolHelp kHelp = {
    "make-music",
    "OUT.ogg",
    "Synthesise Brontavik's soundtrack and write it as an Ogg Vorbis file.",
    "The folder of OUT.ogg is created when missing. The file is written beside its target first\n"
    "and renamed into place, so an interrupted run leaves no half file.\n",
    "",
    " 0  the file was written\n"
    " 1  it could not be written\n"
    " 2  a command line it cannot use\n"};

}  // namespace

int main(int argc, char** argv) {
    if (auto answered = command_line::answerHelpOrVersion(argc, argv, kHelp)) return *answered;
    std::vector<std::string> operands;
    if (auto bad = command_line::collectOperands(argc, argv, kHelp, operands)) return *bad;
    if (operands.size() != 1) {
        return command_line::badArguments(
            kHelp, "expected one OUT.ogg, got " + std::to_string(operands.size()) + " files");
    }
    std::filesystem::path out(operands[0]);
    std::error_code error, probe;
    // The folder first: a target that cannot be written fails before the
    // seconds of synthesis, not after.
    if (out.has_parent_path() && !std::filesystem::is_directory(out.parent_path(), probe) &&
        !std::filesystem::create_directories(out.parent_path(), error)) {
        std::fprintf(stderr, "make-music: cannot create folder %s: %s\n", out.parent_path().c_str(),
                     error.message().c_str());
        return 1;
    }
    std::vector<float> samples = music::composeSoundtrack();
    music::VorbisEncoding encoding;
    encoding.rate = music::kSoundtrackRate;
    encoding.channels = 2;
    encoding.quality = 0.5f;
    encoding.title = "Brontavik";
    // Written beside the target first, so an interrupted build leaves no half file.
    std::filesystem::path partial = out;
    partial += ".partial";
    if (!music::writeOggVorbis(partial.string(), samples.data(), samples.size() / 2, encoding)) {
        return 1;
    }
    std::filesystem::rename(partial, out, error);
    if (error) {
        std::fprintf(stderr, "make-music: cannot write %s: %s\n", operands[0].c_str(),
                     error.message().c_str());
        return 1;
    }
    return 0;
}
