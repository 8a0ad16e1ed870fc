#include "platform/gl_layer/es_functions.h"

#ifdef __EMSCRIPTEN__
// Emscripten's WebGL 2 bindings under their own names.
extern "C" {
#define GL_LAYER_ES_DECLARE(ret, name, params) ret emscripten_gl##name params;
GL_LAYER_ES_FUNCTIONS(GL_LAYER_ES_DECLARE)
#undef GL_LAYER_ES_DECLARE
}

namespace gl_layer {

bool loadEsFunctions(EsFunctions& table, std::string&) {
#define GL_LAYER_ES_TAKE(ret, name, params) table.name = &emscripten_gl##name;
    GL_LAYER_ES_FUNCTIONS(GL_LAYER_ES_TAKE)
#undef GL_LAYER_ES_TAKE
    return true;
}

}  // namespace gl_layer

#else
#include <SDL.h>

namespace gl_layer {

bool loadEsFunctions(EsFunctions& table, std::string& missing) {
#define GL_LAYER_ES_LOAD(ret, name, params)                                                    \
    table.name = reinterpret_cast<ret(GLAPIENTRY*) params>(SDL_GL_GetProcAddress("gl" #name)); \
    if (table.name == nullptr) {                                                               \
        missing = "gl" #name;                                                                  \
        return false;                                                                          \
    }
    GL_LAYER_ES_FUNCTIONS(GL_LAYER_ES_LOAD)
#undef GL_LAYER_ES_LOAD
    return true;
}

}  // namespace gl_layer
#endif
