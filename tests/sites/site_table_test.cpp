// The production site table: every category of the catalogue has its readers.
#include <gtest/gtest.h>

#include "engine/catalogue.h"
#include "sites/sites.h"
#include "toolkit/codepage.h"

namespace zentrow {
namespace {

TEST(ProductionSites, EveryCategoryHasAListingBranchAndAPhotoBranch) {
  const SiteTable& table = ProductionSites();
  for (int site = 0; site < SITE_COUNT; ++site) {
    EXPECT_TRUE(table[site].listing) << site << " " << ToUtf8(Site(site).name);
    EXPECT_TRUE(table[site].photos) << site << " " << ToUtf8(Site(site).name);
  }
}

}  // namespace
}  // namespace zentrow
