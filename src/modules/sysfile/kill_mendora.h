// The system-file repair module: system files that are missing, replaced or
// altered, libraries planted beside programs, and the input-method and shell
// start-up settings.
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "modules/sysfile/replace_item.h"
#include "run/module.h"

class CKillMendora : public IModuleKillClientNull {
public:
    int32_t Scan() override { return 0; }
    // Runs the five examinations; writes the input-method and shell findings
    // to the report and sets g_bAskRestart when a file scan found files.
    int32_t Check() override;
    // Replaces the listed files, removes planted ones, then repairs the
    // settings that are still unhealthy. Always 0.
    int32_t Fix() override;

    // Files of the probe lists that cannot be used (missing, not a PE image,
    // no version information) and that the platform's index knows. 1 when
    // m_aReplace is non-empty afterwards.
    int32_t ScanMissingFiles();
    // Files of the reference version table that are older than the
    // reference, or carry its version with other content. 1 when it added.
    int32_t ScanVersionTable();

    const std::vector<ReplaceItem>& Replacements() const { return m_aReplace; }
    const std::set<std::u16string>& Injected() const { return m_setInjected; }

private:
    std::vector<ReplaceItem> m_aReplace;
    std::set<std::u16string> m_setInjected;
};
