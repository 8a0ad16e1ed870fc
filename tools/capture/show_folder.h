#pragma once
#include <string>

// The show reads music/ and textures/ relative to its working directory.
// The capture tool finds them beside itself (a build's bin/ folder) or in the
// installed data folder (../share/brontavik from the tool), and makes that
// folder the working directory. `path` (the output, when relative) is made
// absolute first so it still means what the caller meant. False with
// `error` set when neither folder holds the textures.
bool enterShowFolder(std::string& path, std::string& error);
