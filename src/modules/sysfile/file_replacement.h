// Putting clean copies of damaged system files in place. Each copy comes from
// the system-file server under the platform key and the MD5 of its content, is
// checked against that MD5, and lands (now, or at the next restart when the
// target is in use) as exactly the bytes that were checked, staged in the
// target's own folder so nothing a user can write is moved into a system folder.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "modules/sysfile/replace_item.h"

// "http://" + host + "/sysfiles2/files/" + platformKey + "/" + digestHex.
std::u16string MakeSysfileAddress(const std::u16string& platformKey, const std::u16string& digestHex);

// Replaces every item in list order and writes one report line per file put in
// place (or queued for the restart); sets g_bAskRestart when a move waits for
// the restart. A stop request ends a running download and makes the loop give
// up before the next item; an item whose damaged file was already removed is
// always finished first.
void ReplaceDamagedFiles(const std::vector<ReplaceItem>& items, const std::u16string& platformKey);

// Deletes a file or a whole folder through the shell, silently and for good
// (no recycle bin). 1 when the shell reports success.
int32_t ShellDeleteFile(const std::u16string& path);

// Creates (or reuses) the demand-start kernel-driver service and starts it.
// 1 when the service runs afterwards.
int32_t InstallDriverService(const std::u16string& serviceName, const std::u16string& driverPath);
