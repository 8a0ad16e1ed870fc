#include "platform/win32/wgl_pbuffer.h"

#include <GL/gl.h>

namespace platform {
namespace {

constexpr int WGL_DRAW_TO_PBUFFER_ARB = 0x202D;
constexpr int WGL_COLOR_BITS_ARB = 0x2014;
constexpr int WGL_DEPTH_BITS_ARB = 0x2022;
constexpr int WGL_STENCIL_BITS_ARB = 0x2023;

DECLARE_HANDLE(HPBUFFERARB);
using ChoosePixelFormatArb = BOOL(WINAPI*)(HDC, const int*, const FLOAT*, UINT, int*, UINT*);
using CreatePbufferArb = HPBUFFERARB(WINAPI*)(HDC, int, int, int, const int*);
using GetPbufferDcArb = HDC(WINAPI*)(HPBUFFERARB);

// The address of `name`, looked up on the first call only.
template <typename Function>
Function entryPoint(Function& kept, bool& looked, const char* name) {
    if (!looked) {
        kept = reinterpret_cast<Function>(reinterpret_cast<void*>(wglGetProcAddress(name)));
        looked = true;
    }
    return kept;
}

BOOL choosePixelFormatArb(HDC dc, const int* ints, const FLOAT* floats, UINT most, int* formats,
                          UINT* count) {
    static ChoosePixelFormatArb kept = nullptr;
    static bool looked = false;
    const auto call = entryPoint(kept, looked, "wglChoosePixelFormatARB");
    return call != nullptr ? call(dc, ints, floats, most, formats, count) : 0;
}

HPBUFFERARB createPbufferArb(HDC dc, int format, int width, int height, const int* attributes) {
    static CreatePbufferArb kept = nullptr;
    static bool looked = false;
    const auto call = entryPoint(kept, looked, "wglCreatePbufferARB");
    return call != nullptr ? call(dc, format, width, height, attributes) : nullptr;
}

HDC getPbufferDcArb(HPBUFFERARB pbuffer) {
    static GetPbufferDcArb kept = nullptr;
    static bool looked = false;
    const auto call = entryPoint(kept, looked, "wglGetPbufferDCARB");
    return call != nullptr ? call(pbuffer) : nullptr;
}

}  // namespace

OffscreenSurface createPbuffer(int width, int height, HGLRC share) {
    OffscreenSurface result;
    // Attribute and value pairs, then the terminating 0.
    // clang-format off
    const int ints[] = {WGL_DRAW_TO_PBUFFER_ARB, 1,
                        WGL_COLOR_BITS_ARB, 32,
                        WGL_DEPTH_BITS_ARB, 24,
                        WGL_STENCIL_BITS_ARB, 8,
                        0};
    // clang-format on
    const FLOAT floats[] = {0.0f};
    int formats[256] = {};
    UINT count = 0;
    HDC dc = wglGetCurrentDC();
    if (!choosePixelFormatArb(dc, ints, floats, 256, formats, &count) || count == 0) return result;
    const int noAttributes[] = {0};
    HPBUFFERARB pbuffer = createPbufferArb(dc, formats[0], width, height, noAttributes);
    if (pbuffer == nullptr) return result;
    HDC pbufferDc = getPbufferDcArb(pbuffer);
    HGLRC context = pbufferDc != nullptr ? wglCreateContext(pbufferDc) : nullptr;
    if (context != nullptr) wglShareLists(share, context);
    result.surface = pbuffer;
    result.deviceContext = pbufferDc;
    result.glContext = context;
    return result;
}

}  // namespace platform
