#pragma once

#include <memory>

#include "settings/settings_sheet.h"
#include "workspace/workspace.h"

namespace tav {

// The settings sheet over the workspace's settings in force.
std::unique_ptr<SettingsSheet> openSettingsSheet(Workspace& workspace);

// OK on the sheet, once refusedField() found nothing: the new history length
// (the history file cut at once), the options, display switches, colours and
// parameter block, then "Option.cfg" and the settings file saved and the
// indicators recomputed. The window restarts its quote-watch timer and goes
// back to the first indicator screen as the result says.
SheetChanges applySettingsSheet(Workspace& workspace, const SettingsSheet& sheet);

}  // namespace tav
