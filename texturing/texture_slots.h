#pragma once
// Textures addressed by slot: an index into the context's textureIds table.
#include "runtime/render_context.h"

// Slots from this number on are absolute: textureSlotBase is not added.
constexpr int kAbsoluteSlotStart = 85000;
// The film-grain texture's slot and file.
constexpr int kFilmTextureSlot = 90000;
constexpr const char* kFilmTextureFile = "textures/superfilm3.jpg";

// Creates a black width x height RGB texture in `slot`.
void createEmptyTexture(RenderContext& context, int slot, int width, int height);
// Decodes the JPEG file into an RGB texture in `slot`, rows bottom-up. A
// file that cannot be opened ends the process after a message box with
// caption "Jpg", one the decoder rejects after one with caption "Jpg !".
void loadJpegTexture(RenderContext& context, const char* fileName, int slot);
// An RGBA texture in `slot`: colour from the first file, alpha from the
// second file's green channel. Any failure ends the process silently.
void loadJpegTextureWithAlpha(RenderContext& context, const char* colorFileName,
                              const char* alphaFileName, int slot);

// Binds the texture of `slot` to GL_TEXTURE_2D; makes no other GL call.
void bindTextureSlot(RenderContext& context, int slot);
void bindTextureSlot(RenderContext* context, int slot);

// Loads the film-grain texture into slot 90000 with plain linear filtering,
// whatever generateMipmaps says.
void loadFilmTexture(RenderContext& context);
void loadFilmTexture(RenderContext* context);
