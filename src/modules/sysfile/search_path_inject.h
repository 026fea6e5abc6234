// Libraries planted beside the programs a user runs, so that the program loads
// them instead of the system's copy. Programs are found through the shell's MUI
// cache; programs inside the Windows folder are never examined.
#pragma once

#include <cstdint>
#include <set>
#include <string>

// Adds each planted file as its lower-cased long path with the "\\?\" prefix.
// A file counts as planted when it is not a PE image, cannot be opened, or was
// created within the last 7 days. 1 when it added at least one path.
int32_t ScanSearchPathInject(std::set<std::u16string>& injected);

// Backs each file up as <path>.qrest and deletes it; a file that cannot be
// deleted is moved over its backup at the next restart (g_bAskRestart is set).
// Writes "Search Path Inject\t" + path + CR LF per file. A file without a
// backup is only renamed, never deleted. A stop request ends the loop before
// the next file.
void QuarantineInjected(const std::set<std::u16string>& injected);
