// stb_image's implementation, for the pictures that are not JPEG: PNG, TGA,
// BMP and GIF (JPEG goes through our own decoder).
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#define STBI_ONLY_TGA
#define STBI_ONLY_BMP
#define STBI_ONLY_GIF
#define STBI_NO_STDIO
#include "stb_image.h"
