// Tests of the serial inbox and the writer's queue (order, bounds, hand-off between threads) and of the output framing.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <thread>
#include <vector>

#include "devices/serial_queues.h"

namespace vantor {
namespace {

using namespace std::chrono_literals;

std::vector<std::uint8_t> Msg(std::uint8_t a, std::size_t size = 1) { return std::vector<std::uint8_t>(size, a); }

TEST(SerialInbox, WakeUpOnlyWhenItWasEmpty) {
  SerialInbox inbox;
  const std::uint8_t a[] = {1, 2};
  EXPECT_TRUE(inbox.Push(a, 2));
  EXPECT_FALSE(inbox.Push(a, 1));
  const auto all = inbox.TakeAll();
  ASSERT_EQ(all.size(), 2u);
  EXPECT_EQ(all[0], (std::vector<std::uint8_t>{1, 2}));
  EXPECT_EQ(all[1], (std::vector<std::uint8_t>{1}));
  EXPECT_TRUE(inbox.TakeAll().empty());
  EXPECT_TRUE(inbox.Push(a, 0));  // empty messages count too
  EXPECT_TRUE(inbox.Push(nullptr, 5) == false);
  EXPECT_EQ(inbox.TakeAll()[1].size(), 0u);
}

TEST(SerialInbox, BoundedWhenNobodyTakes) {
  SerialInbox inbox;
  const std::uint8_t a[] = {7};
  for (std::size_t i = 0; i < SerialInbox::kMaxPending; ++i) inbox.Push(a, 1);
  EXPECT_FALSE(inbox.Push(a, 1));
  EXPECT_EQ(inbox.Dropped(), 1u);
  EXPECT_EQ(inbox.TakeAll().size(), SerialInbox::kMaxPending);
}

TEST(SerialInbox, HandOffBetweenThreadsKeepsOrder) {
  SerialInbox inbox;
  std::atomic<bool> done{false};
  std::vector<std::uint8_t> received;
  std::thread reader([&] {
    for (std::uint8_t i = 0; i < 50; ++i) {
      inbox.Push(&i, 1);
      std::this_thread::yield();
    }
    done = true;
  });
  const auto deadline = std::chrono::steady_clock::now() + 5s;
  while (received.size() < 50 && std::chrono::steady_clock::now() < deadline) {
    for (auto& m : inbox.TakeAll()) received.push_back(m.at(0));
    std::this_thread::sleep_for(1ms);
  }
  reader.join();
  ASSERT_EQ(received.size(), 50u);
  for (std::uint8_t i = 0; i < 50; ++i) EXPECT_EQ(received[i], i);
}

TEST(SerialSendQueue, OrderAndBounds) {
  SerialSendQueue q;
  EXPECT_FALSE(q.Take());
  ASSERT_TRUE(q.Put(Msg(1)));
  ASSERT_TRUE(q.Put(Msg(2)));
  EXPECT_EQ(q.Take(), Msg(1));
  EXPECT_EQ(q.Take(), Msg(2));
  EXPECT_FALSE(q.Take());

  for (std::size_t i = 0; i < SerialSendQueue::kMaxMessages; ++i) ASSERT_TRUE(q.Put(Msg(3)));
  EXPECT_FALSE(q.Put(Msg(4)));
  q.Clear();
  EXPECT_EQ(q.Size(), 0u);

  ASSERT_TRUE(q.Put(Msg(5, SerialSendQueue::kMaxBytes - 1)));
  EXPECT_FALSE(q.Put(Msg(6, 2)));
  EXPECT_TRUE(q.Put(Msg(6, 1)));
  ASSERT_TRUE(q.Take());
  EXPECT_TRUE(q.Put(Msg(7, 100)));  // taking frees the room
}

TEST(SerialSendQueue, OneWriterTakesInOrderWhileAnotherThreadPuts) {
  SerialSendQueue q;
  std::vector<std::uint8_t> written;
  std::atomic<bool> stop{false};
  std::thread writer([&] {
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    while (written.size() < 200 && std::chrono::steady_clock::now() < deadline) {
      if (auto m = q.Take()) {
        written.push_back(m->at(0));
      } else {
        std::this_thread::yield();
      }
    }
  });
  for (int i = 0; i < 200; ++i) {
    for (int tries = 0; tries < 1000 && !q.Put(Msg(static_cast<std::uint8_t>(i))); ++tries) {
      std::this_thread::sleep_for(1ms);
    }
  }
  writer.join();
  ASSERT_EQ(written.size(), 200u);
  for (int i = 0; i < 200; ++i) EXPECT_EQ(written[i], static_cast<std::uint8_t>(i));
}

TEST(SerialOutput, FramingAddsOnlyTheBytesThatAreSet) {
  const std::vector<std::uint8_t> ab{'A', 'B'};
  EXPECT_EQ(FrameSerialOutput(ab, 2, 3), (std::vector<std::uint8_t>{0x02, 'A', 'B', 0x03}));
  EXPECT_EQ(FrameSerialOutput(ab, 0, 0), ab);
  EXPECT_EQ(FrameSerialOutput(ab, 0, 3), (std::vector<std::uint8_t>{'A', 'B', 0x03}));
  EXPECT_EQ(FrameSerialOutput({}, 2, 3), (std::vector<std::uint8_t>{0x02, 0x03}));
}

}  // namespace
}  // namespace vantor
