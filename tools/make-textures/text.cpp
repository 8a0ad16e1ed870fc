#include "text.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <stdexcept>

namespace {

// Why FreeType could not open a font: the system's reason when the file
// cannot be opened, else that FreeType does not read it.
std::string unreadableReason(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return std::strerror(errno);
    std::fclose(file);
    return "not a font FreeType can read";
}

}  // namespace

struct Font::Impl {
    FT_Library library = nullptr;
    FT_Face face = nullptr;
};

Font::Font(const std::string& path, int pixelSize) : impl_(new Impl) {
    if (FT_Init_FreeType(&impl_->library) != 0) {
        delete impl_;
        throw std::runtime_error("cannot start FreeType");
    }
    if (FT_New_Face(impl_->library, path.c_str(), 0, &impl_->face) != 0 ||
        FT_Set_Pixel_Sizes(impl_->face, 0, pixelSize) != 0) {
        FT_Done_FreeType(impl_->library);
        delete impl_;
        throw std::runtime_error("cannot open font " + path + ": " + unreadableReason(path));
    }
}

Font::~Font() {
    FT_Done_Face(impl_->face);
    FT_Done_FreeType(impl_->library);
    delete impl_;
}

namespace {

// Walks the glyphs of `text`, calling fn(glyphIndex, penX) for each; returns
// the final pen position. Positions are in 26.6 fixed point.
template <typename Fn>
long walk(FT_Face face, const std::string& text, float tracking, Fn fn) {
    long pen = 0;
    FT_UInt previous = 0;
    bool kerning = FT_HAS_KERNING(face);
    for (std::size_t i = 0; i < text.size(); ++i) {
        FT_UInt glyph = FT_Get_Char_Index(face, static_cast<unsigned char>(text[i]));
        if (kerning && previous != 0 && glyph != 0) {
            FT_Vector delta;
            FT_Get_Kerning(face, previous, glyph, FT_KERNING_DEFAULT, &delta);
            pen += delta.x;
        }
        if (FT_Load_Glyph(face, glyph, FT_LOAD_DEFAULT) != 0) continue;
        fn(glyph, pen);
        pen += face->glyph->advance.x;
        if (i + 1 < text.size()) pen += std::lround(tracking * 64.0f);
        previous = glyph;
    }
    return pen;
}

}  // namespace

float Font::measure(const std::string& text, float tracking) const {
    return walk(impl_->face, text, tracking, [](FT_UInt, long) {}) / 64.0f;
}

void Font::draw(Layer& layer, const std::string& text, float x, float baseline,
                float tracking) const {
    FT_Face face = impl_->face;
    walk(face, text, tracking, [&](FT_UInt glyph, long pen) {
        // Place the glyph at a whole pixel; sizes here are large enough for
        // that to look even.
        (void)glyph;
        if (FT_Render_Glyph(face->glyph, FT_RENDER_MODE_NORMAL) != 0) return;
        const FT_Bitmap& bm = face->glyph->bitmap;
        int left = static_cast<int>(std::lround(x + pen / 64.0f)) + face->glyph->bitmap_left;
        int top = static_cast<int>(std::lround(baseline)) - face->glyph->bitmap_top;
        for (unsigned row = 0; row < bm.rows; ++row) {
            for (unsigned col = 0; col < bm.width; ++col) {
                int px = left + static_cast<int>(col), py = top + static_cast<int>(row);
                if (px < 0 || py < 0 || px >= layer.width || py >= layer.height) continue;
                float c = bm.buffer[row * bm.pitch + col] / 255.0f;
                layer.at(px, py) = std::min(1.0f, layer.at(px, py) + c);
            }
        }
    });
}

void Font::drawCentred(Layer& layer, const std::string& text, float cx, float baseline,
                       float tracking) const {
    draw(layer, text, std::round(cx - measure(text, tracking) * 0.5f), baseline, tracking);
}
