/* The PNG writer of Debian's libstb-dev, compiled in once (Windows build). */
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>
