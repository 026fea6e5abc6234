// The system and Windows folders as Windows names them, each ending in a
// backslash (C:\WINDOWS\system32\, C:\WINDOWS\); empty when Windows cannot
// name them.
#pragma once

#include <string>

void GetSystemFolder(std::u16string& folder);
void GetWindowsFolder(std::u16string& folder);
