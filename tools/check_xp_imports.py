#!/usr/bin/env python3
"""Fails when a 32-bit program could not start on Windows XP SP3.

It reads the import table and the header with the MinGW objdump and checks
that the subsystem version is at most 5.1 and that no import names a
function Windows XP does not have (the ones toolchains and careless calls
pull in). Functions that only Vista and later have are loaded at run time
through GetProcAddress instead.

usage: check_xp_imports.py PROGRAM.exe
"""
import re
import subprocess
import sys

# Functions missing from Windows XP SP3 (x86) that are easy to import by accident.
NOT_ON_XP = {
    "GetTickCount64", "InitializeConditionVariable", "WakeConditionVariable", "WakeAllConditionVariable",
    "SleepConditionVariableCS", "SleepConditionVariableSRW", "InitializeSRWLock", "AcquireSRWLockExclusive",
    "AcquireSRWLockShared", "ReleaseSRWLockExclusive", "ReleaseSRWLockShared", "TryAcquireSRWLockExclusive",
    "TryAcquireSRWLockShared", "InitOnceExecuteOnce", "InitOnceBeginInitialize", "InitOnceComplete",
    "GetFileInformationByHandleEx", "SetFileInformationByHandle", "CreateSymbolicLinkW", "GetFinalPathNameByHandleW",
    "GetSystemTimePreciseAsFileTime", "QueryFullProcessImageNameW", "GetLocaleInfoEx", "LCMapStringEx",
    "CompareStringEx", "GetUserDefaultLocaleName", "CreateEventExW", "CreateMutexExW", "CreateSemaphoreExW",
    "InitializeCriticalSectionEx", "FlsAlloc", "FlsFree", "FlsGetValue", "FlsSetValue", "GetFileVersionInfoExW",
    "GetFileVersionInfoSizeExW", "RegGetValueW", "RegGetValueA", "RegDeleteTreeW", "RegSetKeyValueW",
    "RegDeleteKeyExW", "SHGetKnownFolderPath", "TaskDialog", "TaskDialogIndirect", "ChangeWindowMessageFilter",
    "SetProcessDPIAware", "CancelIoEx", "Wow64DisableWow64FsRedirection", "Wow64RevertWow64FsRedirection",
    "GetErrorMode", "RegisterApplicationRestart", "GetProductInfo", "CreateRemoteThreadEx",
}


def main():
    exe = sys.argv[1]
    dump = subprocess.run(["i686-w64-mingw32-objdump", "-p", exe], capture_output=True, text=True, check=True).stdout
    problems = []
    if "file format pei-i386" not in subprocess.run(["i686-w64-mingw32-objdump", "-f", exe], capture_output=True,
                                                    text=True, check=True).stdout:
        problems.append("not a 32-bit x86 program")
    major = re.search(r"MajorSubsystemVersion\s+(\d+)", dump)
    minor = re.search(r"MinorSubsystemVersion\s+(\d+)", dump)
    if not major or not minor or (int(major.group(1)), int(minor.group(1))) > (5, 1):
        problems.append("subsystem version above 5.1")
    imported = set()
    for line in dump.splitlines():
        m = re.match(r"\s+[0-9a-f]+\s+(?:[0-9a-f]+\s+)?(\w+)$", line)
        if m:
            imported.add(m.group(1))
    if not imported:
        problems.append("no imports found: objdump output not understood")
    problems += [f"imports {name}, which Windows XP does not have" for name in sorted(imported & NOT_ON_XP)]
    for p in problems:
        print("FAIL:", p)
    print(f"{len(imported)} imports checked")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
