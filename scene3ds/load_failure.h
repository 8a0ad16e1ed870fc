#pragma once
// Why Model3dsLoader::load returned false for a file, in one line: the
// loader itself only says false, so the file is looked at again.
#include <string>

std::string loadFailureReason(const std::string& path);
