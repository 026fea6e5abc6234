// The program instance that dialogs and resources are loaded from.
#pragma once

#include <windows.h>

namespace fw {

class CModuleState {
public:
    static void Init(HINSTANCE instance) { s_hInstance = instance; }
    static void Term() { s_hInstance = nullptr; }
    static HINSTANCE Instance() { return s_hInstance != nullptr ? s_hInstance : ::GetModuleHandleW(nullptr); }

private:
    static inline HINSTANCE s_hInstance = nullptr;
};

}  // namespace fw
