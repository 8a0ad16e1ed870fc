#pragma once
// The texture pictures a 3DS file names: found beside the file, decoded
// into RGBA rows ready for GL.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

// File names given to the program and found in folders are UTF-8 strings
// (on Windows through the UTF-8 code page its programs ask for): paths are
// made from them and names read back as UTF-8 explicitly, since the C++
// library's plain conversions on Windows follow the C library's locale.
std::filesystem::path pathFromUtf8(const std::string& name);
std::string utf8Name(const std::filesystem::path& path);

// Finds the picture a 3DS file calls `name` in `folder`: the name as it
// stands, then any file whose name equals it ignoring case, then a file
// whose short DOS name (8.3: the first six letters, "~1" counting up in
// name order, the first three letters of the extension) is `name`, then a
// file whose name cut to 8.3 is `name`. Only the last part of a name that
// holds a folder is used.
std::optional<std::filesystem::path> findTextureFile(const std::filesystem::path& folder,
                                                     const std::string& name);

// A picture as 4 bytes a pixel (R, G, B, A), rows bottom-up (the top of the
// picture at t = 1, as GL takes it).
struct TexturePicture {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgba;
};

// Decodes a JPEG (our own decoder, colour or grey) or a PNG, TGA, BMP or
// GIF (stb_image); false with the reason in `error` when it cannot.
bool decodeTexturePicture(const std::vector<std::uint8_t>& bytes, TexturePicture& picture,
                          std::string& error);

// Reads the file whole and decodes it; false with the reason.
bool loadTexturePicture(const std::filesystem::path& path, TexturePicture& picture,
                        std::string& error);
