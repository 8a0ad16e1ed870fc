#include <windows.h>

#include <cstdlib>

#include "tools/capture/capture_system.h"

void requestHiddenWindow() {
    // The Windows platform then never shows the window; WGL draws into it
    // all the same, and every frame goes to an offscreen framebuffer.
    _putenv_s("BRONTAVIK_HIDDEN_WINDOW", "1");
    if (std::getenv("BRONTAVIK_NO_MESSAGE_BOXES") == nullptr)
        _putenv_s("BRONTAVIK_NO_MESSAGE_BOXES", "1");
}

void neverWaitForDisplay() {
    // Nothing is ever presented: the swap interval does not come into it.
}

void* glEntryPoint(const char* name) {
    return reinterpret_cast<void*>(wglGetProcAddress(name));
}

std::filesystem::path thisProgramFile(std::string& error) {
    std::wstring name(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size()));
        if (length == 0) {
            error = "cannot tell where brontavik-capture lives (error " +
                    std::to_string(GetLastError()) + ")";
            return {};
        }
        if (length < name.size()) {
            name.resize(length);
            return std::filesystem::path(name);
        }
        name.resize(name.size() * 2);
    }
}
