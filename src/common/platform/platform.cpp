#include "common/platform/platform.h"

#include <cstdlib>

namespace plat {

namespace {
IPlatform* g_pPlatform = nullptr;
}

IPlatform& P()
{
    // A missing platform is a programming error at start-up, never a runtime state.
    if (g_pPlatform == nullptr) std::abort();
    return *g_pPlatform;
}

void InstallPlatform(IPlatform* platform) { g_pPlatform = platform; }

ScopedPlatform::ScopedPlatform(IPlatform& platform) : m_pPrevious(g_pPlatform) { g_pPlatform = &platform; }

ScopedPlatform::~ScopedPlatform() { g_pPlatform = m_pPrevious; }

}  // namespace plat
