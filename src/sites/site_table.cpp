#include "sites/sites.h"

namespace zentrow {

const SiteTable& ProductionSites() {
  static const SiteTable table{};
  return table;
}

}  // namespace zentrow
