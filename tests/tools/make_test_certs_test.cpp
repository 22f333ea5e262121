// scripts/make-test-certs.sh: the host certificate it makes passes the TLS link's checks by the pin it
// prints and by its CA, on every loopback name.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <unistd.h>

#include "platform/transport.h"
#include "tls_fixtures_posix.h"
#include "tool_process.h"

namespace vantor {
namespace {

TEST(MakeTestCerts, TheHostCertificatePassesByItsPinAndByItsCa) {
  const auto folder = std::filesystem::temp_directory_path() / ("vantor-certs-" + std::to_string(::getpid()));
  testing_support::ChildProcess script(
      {"bash", std::string(VANTOR_SOURCE_DIR) + "/scripts/make-test-certs.sh", folder.string()});
  ASSERT_EQ(script.WaitExit(std::chrono::seconds(30)), 0) << script.Output();
  const std::string output = script.Output();
  const std::size_t at = output.find("pin (hosttlspin, --tls-pin): ");
  ASSERT_NE(at, std::string::npos) << output;
  const std::string pin = output.substr(output.find(": ", at) + 2, 95);

  const testing_support::TestCertificate host{testing_support::ReadFile(folder / "host.pem"),
                                              testing_support::ReadFile(folder / "host.key"), pin};
  for (const auto& [name, options] : {std::pair<const char*, TlsOptions>{"127.0.0.1", {true, pin, ""}},
                                      {"::1", {true, "", (folder / "ca.pem").string()}},
                                      {"localhost", {true, "", (folder / "ca.pem").string()}}}) {
    testing_support::LoopbackServer server({std::string(name) == "::1", &host, testing_support::ServerMode::kEcho, ""});
    EXPECT_EQ(MakeTlsTransport(options)->Connect(name, server.Port(), std::chrono::seconds(5)), LinkFailure::kNone)
        << name;
  }
  std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace vantor
