// The four module slots of a run, in their fixed order, each with its report
// heading and restart rule.
#pragma once

#include <array>
#include <memory>

#include "run/module.h"
#include "run/report.h"

using ModuleFactory = std::unique_ptr<IModuleKillClient> (*)();

struct ModuleSlot {
    ModuleFactory create;
    ReportText heading;
    // Whether Fix of this module makes the run arm the continuation after a restart.
    bool needsRestart;
};

using ModuleSlots = std::array<ModuleSlot, 4>;

// Network stack, infected libraries, fake NetBIOS driver, system files.
const ModuleSlots& DefaultModuleSlots();

extern const ReportText HEADING_RISK_DRIVERS;
extern const ReportText HEADING_CYBO_QQ;
extern const ReportText HEADING_FAKE_NETBIOS;
extern const ReportText HEADING_MENDORA;
