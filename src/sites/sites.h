// The production site table: every category's listing branch and photo-list readers.
#pragma once

#include "engine/site_table.h"

namespace zentrow {

// Categories whose readers are not built yet have empty entries.
const SiteTable& ProductionSites();

}  // namespace zentrow
