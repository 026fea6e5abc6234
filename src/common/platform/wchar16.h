// Text fields of Windows structures (file listings, process snapshots) are
// WCHAR arrays: wchar_t on Windows, char16_t in the native build. Both are
// UTF-16 code units of the same size, so portable code reads them as char16_t.
#pragma once

#include "common/platform/wintypes.h"

namespace plat {

inline const char16_t* U16(const WCHAR* text) { return reinterpret_cast<const char16_t*>(text); }
inline char16_t* U16(WCHAR* text) { return reinterpret_cast<char16_t*>(text); }
inline const WCHAR* AsWchar(const char16_t* text) { return reinterpret_cast<const WCHAR*>(text); }

static_assert(sizeof(WCHAR) == sizeof(char16_t));

}  // namespace plat
