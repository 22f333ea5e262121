// Tests of the scripted test host itself: bounded waits, records across writes, close detection.
#include "test_host.h"

#include <gtest/gtest.h>

#include <chrono>

#include "session/host_link.h"

namespace vantor {
namespace {

using testing_support::kRecordEnd;
using testing_support::TestHost;
using namespace std::chrono_literals;

TEST(TestHostWaits, EveryWaitEndsInTime) {
  TestHost host;
  ASSERT_TRUE(host.Listening());
  EXPECT_NE(host.Port(), 0);
  const auto started = std::chrono::steady_clock::now();
  EXPECT_FALSE(host.Accept(100ms));
  EXPECT_FALSE(host.ReadRecord(100ms).has_value());  // no connection at all
  EXPECT_FALSE(host.WaitPeerClosed(100ms));
  EXPECT_FALSE(host.SendRecord("H"));
  EXPECT_LT(std::chrono::steady_clock::now() - started, 2s);
}

TEST(TestHostWaits, RecordsAcrossWritesAndCloseDetection) {
  TestHost host;
  HostLink terminal;
  ASSERT_TRUE(terminal.Connect("127.0.0.1", host.Port()));
  ASSERT_TRUE(host.Accept(5s));
  EXPECT_TRUE(host.Connected());
  EXPECT_TRUE(host.NothingArrives(50ms));
  const auto started = std::chrono::steady_clock::now();
  EXPECT_FALSE(host.ReadRecord(150ms).has_value());
  EXPECT_GE(std::chrono::steady_clock::now() - started, 140ms);
  ASSERT_TRUE(terminal.Send(3, "I"));
  ASSERT_TRUE(terminal.Send(3, "&"));
  const auto first = host.ReadRecord(5s);
  const auto second = host.ReadRecord(5s);
  ASSERT_TRUE(first && second);
  EXPECT_EQ(first->body, "I");
  EXPECT_EQ(second->body, "&");
  // Records sent just before the close are still read after it.
  ASSERT_TRUE(terminal.Send(3, "Q"));
  terminal.Close();
  EXPECT_TRUE(host.WaitPeerClosed(5s));
  const auto last = host.ReadRecord(100ms);
  ASSERT_TRUE(last.has_value());
  EXPECT_EQ(last->raw, "3Q" + kRecordEnd);
  EXPECT_FALSE(host.ReadRecord(5s).has_value());  // closed: returns at once
  EXPECT_EQ(host.ReceivedBytes(), "3I" + kRecordEnd + "3&" + kRecordEnd + "3Q" + kRecordEnd);
}

}  // namespace
}  // namespace vantor
