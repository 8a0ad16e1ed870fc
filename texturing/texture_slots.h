#pragma once
// Textures addressed by slot: an index into the context's textureIds table.
// The loaders themselves are RenderContext members (createEmptyTexture,
// loadJpegTexture, loadJpegTextureWithAlpha; texture_slots.cpp).
#include "runtime/render_context.h"

// Slots from this number on are absolute: textureSlotBase is not added.
constexpr int kAbsoluteSlotStart = 85000;
// The film-grain texture's slot and file.
constexpr int kFilmTextureSlot = 90000;
constexpr const char* kFilmTextureFile = "textures/superfilm3.jpg";

// Binds the texture of `slot` to GL_TEXTURE_2D; makes no other GL call.
void bindTextureSlot(RenderContext& context, int slot);
void bindTextureSlot(RenderContext* context, int slot);

// Loads the film-grain texture into slot 90000 with plain linear filtering,
// whatever generateMipmaps says.
void loadFilmTexture(RenderContext& context);
void loadFilmTexture(RenderContext* context);
