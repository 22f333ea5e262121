// Who the gateway's console lets in: loopback peers without a token, else the token's bearer or the
// login form's cookie.
#include <gtest/gtest.h>

#include "admin_views.h"

namespace vantor::gateway {
namespace {

TEST(GatewayConsoleAccess, LoopbackWithoutATokenTheTokenOrItsCookieWithOne) {
  const AccessRule open{"", ""};
  const AccessRule locked{"s3cret", "c00kie"};
  struct Case {
    const AccessRule& rule;
    const char* remote;
    const char* authorization;
    const char* cookie;
    Access expected;
  };
  const Case cases[] = {
      {open, "127.0.0.1", "", "", Access::Allowed},
      {open, "127.8.9.10", "", "", Access::Allowed},
      {open, "::1", "", "", Access::Allowed},
      {open, "::ffff:127.0.0.1", "", "", Access::Allowed},
      {open, "10.0.0.5", "", "", Access::Refused},
      {open, "::ffff:10.0.0.5", "", "", Access::Refused},
      {open, "fe80::1", "", "", Access::Refused},
      {open, "10.0.0.5", "Bearer ", "", Access::Refused},
      {locked, "10.0.0.5", "Bearer s3cret", "", Access::Allowed},
      {locked, "127.0.0.1", "", "", Access::Unauthorized},
      {locked, "10.0.0.5", "Bearer s3creT", "", Access::Unauthorized},
      {locked, "10.0.0.5", "Bearer s3cre", "", Access::Unauthorized},
      {locked, "10.0.0.5", "Bearer s3crets", "", Access::Unauthorized},
      {locked, "10.0.0.5", "s3cret", "", Access::Unauthorized},
      {locked, "10.0.0.5", "", "a=1; vantor_console=c00kie; b=2", Access::Allowed},
      {locked, "10.0.0.5", "", "vantor_console=s3cret", Access::Unauthorized},
      {locked, "10.0.0.5", "", "vantor_consolex=c00kie", Access::Unauthorized},
      {locked, "10.0.0.5", "", "vantor_console=", Access::Unauthorized},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Decide(c.rule, c.remote, c.authorization, c.cookie), c.expected)
        << c.remote << " [" << c.authorization << "] [" << c.cookie << "]";
  }
}

}  // namespace
}  // namespace vantor::gateway
