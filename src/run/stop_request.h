// A request from the user interface that the current run give up. The runner
// and the modules look at it only at safe points, where nothing is half done.
#pragma once

void RequestRepairStop();
void ClearRepairStop();
bool RepairStopRequested();
