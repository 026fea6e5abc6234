// A system file to replace: where it lives and the content it should have.
#pragma once

#include <string>

struct ReplaceItem {
    // Full path as the scan built it (system or Windows folder plus file name).
    std::u16string TargetPath;
    // DigestToHex of the reference ContentDigest: 32 lower-case hex digits, the
    // name of the clean copy on the system-file server.
    std::u16string DigestHex;
};
