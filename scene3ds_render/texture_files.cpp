#include "scene3ds_render/texture_files.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>

#include "texturing/jpeg_decoder.h"
#include "texturing/memory_byte_source.h"

extern "C" {
unsigned char* stbi_load_from_memory(const unsigned char* buffer, int len, int* x, int* y,
                                     int* channels_in_file, int desired_channels);
void stbi_image_free(void* retval_from_stbi_load);
const char* stbi_failure_reason(void);
}

namespace fs = std::filesystem;

namespace {

std::string upper(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

// The characters a short name keeps: letters and digits upper-cased, the
// few DOS allows; spaces and dots dropped, anything else as '_'.
std::string shortNamePart(const std::string& text) {
    std::string out;
    for (char c : text) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (c == ' ' || c == '.') continue;
        if (std::isalnum(u) || std::string("!#$%&'()-@^_`{}~").find(c) != std::string::npos)
            out += static_cast<char>(std::toupper(u));
        else
            out += '_';
    }
    return out;
}

void splitName(const std::string& name, std::string& base, std::string& extension) {
    const std::size_t dot = name.rfind('.');
    base = dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
    extension = dot == std::string::npos || dot == 0 ? "" : name.substr(dot + 1);
}

std::string join(const std::string& base, const std::string& extension) {
    return extension.empty() ? base : base + "." + extension;
}

// A file name cut to 8.3, upper-case.
std::string cutTo83(const std::string& name) {
    std::string base, extension;
    splitName(name, base, extension);
    return join(shortNamePart(base).substr(0, 8), shortNamePart(extension).substr(0, 3));
}

bool isJpeg(const std::vector<std::uint8_t>& bytes) {
    return bytes.size() >= 3 && bytes[0] == 0xFF && bytes[1] == 0xD8 && bytes[2] == 0xFF;
}

bool decodeJpeg(const std::vector<std::uint8_t>& bytes, TexturePicture& picture,
                std::string& error) {
    MemoryByteSource source(bytes);
    JpegDecoder decoder(&source, true);
    if (decoder.errorCode() != 0) {
        error = "the JPEG decoder rejects it (error " + std::to_string(decoder.errorCode()) + ")";
        return false;
    }
    const int width = decoder.width(), height = decoder.height();
    const int components = decoder.componentCount();
    if (width <= 0 || height <= 0 || (components != 1 && components != 3)) {
        error = "a JPEG of " + std::to_string(components) + " components is not a picture it shows";
        return false;
    }
    if (decoder.begin() != 0) {
        error = "the JPEG decoder cannot start on it";
        return false;
    }
    picture.width = width;
    picture.height = height;
    picture.rgba.assign(static_cast<std::size_t>(width) * height * 4, 255);
    for (int k = 0; k < height; ++k) {
        const std::uint8_t* line = nullptr;
        int length = 0;
        if (decoder.decodeLine(&line, &length) != 0 || length < width * decoder.bytesPerPixel()) {
            error = "the JPEG is damaged at line " + std::to_string(k);
            return false;
        }
        std::uint8_t* row =
            picture.rgba.data() + static_cast<std::size_t>(height - 1 - k) * width * 4;
        for (int x = 0; x < width; ++x) {
            if (components == 1) {
                row[4 * x] = row[4 * x + 1] = row[4 * x + 2] = line[x];
            } else {
                row[4 * x] = line[4 * x];
                row[4 * x + 1] = line[4 * x + 1];
                row[4 * x + 2] = line[4 * x + 2];
            }
        }
    }
    return true;
}

bool decodeOther(const std::vector<std::uint8_t>& bytes, TexturePicture& picture,
                 std::string& error) {
    if (bytes.size() > 0x7FFFFFFF) {
        error = "the file is too large";
        return false;
    }
    int width = 0, height = 0, channels = 0;
    unsigned char* pixels = stbi_load_from_memory(bytes.data(), static_cast<int>(bytes.size()),
                                                  &width, &height, &channels, 4);
    if (pixels == nullptr) {
        const char* reason = stbi_failure_reason();
        error = std::string("stb_image cannot read it (") + (reason ? reason : "unknown") + ")";
        return false;
    }
    picture.width = width;
    picture.height = height;
    const std::size_t row = static_cast<std::size_t>(width) * 4;
    picture.rgba.resize(row * height);
    for (int y = 0; y < height; ++y)
        std::copy(pixels + y * row, pixels + (y + 1) * row,
                  picture.rgba.data() + (height - 1 - y) * row);
    stbi_image_free(pixels);
    return true;
}

}  // namespace

fs::path pathFromUtf8(const std::string& name) {
    return fs::path(std::u8string(name.begin(), name.end()));
}

std::string utf8Name(const fs::path& path) {
    const std::u8string name = path.u8string();
    return std::string(name.begin(), name.end());
}

std::optional<fs::path> findTextureFile(const fs::path& folder, const std::string& rawName) {
    // Names written on DOS or Windows may carry a folder.
    std::string name = rawName;
    const std::size_t slash = name.find_last_of("/\\");
    if (slash != std::string::npos) name = name.substr(slash + 1);
    if (name.empty()) return std::nullopt;
    std::error_code ec;
    if (fs::is_regular_file(folder / name, ec)) return folder / name;

    std::vector<std::string> files;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
        if (it->is_regular_file(ec)) files.push_back(utf8Name(it->path().filename()));
    std::sort(files.begin(), files.end());
    const std::string wanted = upper(name);
    for (const std::string& file : files)
        if (upper(file) == wanted) return folder / pathFromUtf8(file);

    // Short names: the first six characters of the base, then ~N, numbered in
    // name order among the files whose short forms share those six and the
    // extension.
    std::map<std::string, int> taken;
    for (const std::string& file : files) {
        std::string base, extension;
        splitName(file, base, extension);
        const std::string b = shortNamePart(base), e = shortNamePart(extension).substr(0, 3);
        if (b.size() <= 8 && shortNamePart(extension).size() <= 3 && b == upper(base)) continue;
        const std::string stem = b.substr(0, 6);
        const int number = ++taken[stem + "." + e];
        if (join(stem + "~" + std::to_string(number), e) == wanted)
            return folder / pathFromUtf8(file);
    }
    for (const std::string& file : files)
        if (cutTo83(file) == wanted) return folder / pathFromUtf8(file);
    return std::nullopt;
}

bool decodeTexturePicture(const std::vector<std::uint8_t>& bytes, TexturePicture& picture,
                          std::string& error) {
    picture = TexturePicture{};
    try {
        return isJpeg(bytes) ? decodeJpeg(bytes, picture, error)
                             : decodeOther(bytes, picture, error);
    } catch (const std::exception& e) {
        error = std::string("cannot decode it: ") + e.what();
        return false;
    }
}

bool loadTexturePicture(const fs::path& path, TexturePicture& picture, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot open it";
        return false;
    }
    std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                    std::istreambuf_iterator<char>());
    if (in.bad()) {
        error = "cannot read it";
        return false;
    }
    return decodeTexturePicture(bytes, picture, error);
}
