#pragma once
#include <string>

// Whether every file the show reads (the six images and, with `withMusic`,
// the music) can be opened from the working directory; false with `error`
// naming the first that cannot.
bool inputsReadable(bool withMusic, std::string& error);
