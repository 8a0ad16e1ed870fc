/* The Ogg Vorbis decoder from Debian's libstb-dev, compiled in once. */
#include <stb_vorbis.h>
