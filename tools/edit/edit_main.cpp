// brontavik-edit: the show in a window for makers, shaped live by a sync
// editor or played from its exported tracks.
#include <cstdio>
#include <string>

#include "app/edit/edit_session.h"
#include "tools/capture/show_folder.h"
#include "tools/edit/edit_options.h"

namespace {

int fail(const std::string& message) {
    std::fprintf(stderr, "brontavik-edit: %s\n", message.c_str());
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    EditOptions options;
    if (const auto done = takeEditOptions(argc, argv, options)) return *done;
    std::string error;
    // The show reads its data from its working folder; the track folder
    // keeps meaning the folder the program was started in.
    if (!enterShowFolder(options.tracksFolder, error)) return fail(error);
    EditSession session(options);
    if (!session.prepare(error)) return fail(error);
    if (!openEditWindow()) return 1;
    session.begin();
    return runEditLoop(session);
}
