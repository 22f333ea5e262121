// Who the gateway's console lets in, row by row of console_access.txt.
#include <gtest/gtest.h>

#include <fstream>
#include <map>

#include "admin_views.h"

namespace vantor::gateway {
namespace {

TEST(GatewayConsoleAccess, LoopbackWithoutATokenTheTokenOrItsCookieWithOne) {
  std::ifstream table(std::string(VANTOR_SOURCE_DIR) + "/tests/tools/console_access.txt");
  const std::map<std::string, Access> answers = {
      {"allowed", Access::Allowed}, {"unauthorized", Access::Unauthorized}, {"refused", Access::Refused}};
  int rows = 0;
  for (std::string line; std::getline(table, line);) {
    if (line.starts_with("#")) continue;
    std::vector<std::string> cells;
    for (std::size_t start = 0, end = 0; end != std::string::npos; start = end + 3) {
      end = line.find(" | ", start);
      cells.push_back(line.substr(start, end - start));
    }
    ASSERT_EQ(cells.size(), 5u) << line;
    const AccessRule rule = cells[0] == "-" ? AccessRule{"", ""} : AccessRule{cells[0], "c00kie"};
    EXPECT_EQ(Decide(rule, cells[1], cells[2], cells[3]), answers.at(cells[4])) << line;
    ++rows;
  }
  EXPECT_EQ(rows, 18);
}

}  // namespace
}  // namespace vantor::gateway
