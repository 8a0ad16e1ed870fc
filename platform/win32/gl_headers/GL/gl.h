/* Windows' GL/gl.h declares OpenGL 1.1 only; Mesa's, which the program is
 * written against, brings glext.h along with the names of later versions
 * (GL_GENERATE_MIPMAP, ...). This one does the same on Windows: the system's
 * header, then glext.h. The Windows build puts this folder first on the
 * include path. */
#include_next <GL/gl.h>
#include <GL/glext.h>
