#pragma once
// Names in 3DS files are bytes in whatever code page the writer used. For
// JSON they become UTF-8: sequences that are valid UTF-8 pass through, and
// every other byte is taken as Latin-1 ("W\xfcrfel" becomes "Würfel").
#include <string>
#include <string_view>

std::string utf8FromFileBytes(std::string_view bytes);
