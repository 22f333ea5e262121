// Speed of the screen engine: a full screen, a text update and a record of ignored blocks.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "interpreter/interpreter.h"
#include "interpreter/null_view.h"
#include "model/field.h"
#include "model/page.h"
#include "screen_builder.h"
#include "session/record_assembler.h"
#include "session/terminal.h"
#include "settings/settings.h"

namespace vantor {
namespace {

namespace samples = host_records::samples;

class NullSender final : public RecordSender {
 public:
  bool SendRecord(int, std::string_view) override { return true; }
};

class NullReplies final : public HostReplies {
 public:
  void SendStatus() override {}
  void SendKey(FunctionKey) override {}
};

struct Engine {
  void Run(const std::string& commands) {
    const auto* p = reinterpret_cast<const std::uint8_t*>(commands.data());
    Interpret(ScreenContext{screen, settings, view, replies}, p, p + commands.size());
  }
  Settings settings;
  NullView view;
  NullSender sender;
  NullReplies replies;
  Screen screen{kDefaultPageBackground};
  Terminal terminal{settings, view, sender};
};

void Report(benchmark::State& state, std::size_t bytesPerRecord) {
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(bytesPerRecord));
  state.counters["bytes/record"] = static_cast<double>(bytesPerRecord);
}

// (a) A full 24 x 80 screen: page erased, 62 fields with texts, options and prefixes, key labels.
void BM_FullScreen(benchmark::State& state) {
  Engine engine;
  const std::string screen = samples::FullScreen().Commands();
  for (auto _ : state) engine.Run(screen);
  Report(state, screen.size());
}
BENCHMARK(BM_FullScreen);

// (b) The texts of 20 fields of that screen set anew.
void BM_TextUpdates(benchmark::State& state) {
  Engine engine;
  engine.Run(samples::FullScreen().Commands());
  const std::string update = samples::TextUpdates().Commands();
  for (auto _ : state) engine.Run(update);
  Report(state, update.size());
}
BENCHMARK(BM_TextUpdates);

// (c) A record of ignored blocks of every shape (64 KiB).
void BM_IgnoredBlocks(benchmark::State& state) {
  Engine engine;
  const std::string blocks = samples::IgnoredBlocks(64 * 1024).Commands();
  for (auto _ : state) engine.Run(blocks);
  Report(state, blocks.size());
}
BENCHMARK(BM_IgnoredBlocks);

// The full screen from received bytes: record cutting and dispatch (the "H" answer) included.
void BM_FullScreenFromTheWire(benchmark::State& state) {
  Engine engine;
  RecordAssembler assembler;
  const std::string record = samples::FullScreen().Record();
  const RecordBytes bytes(reinterpret_cast<const std::uint8_t*>(record.data()), record.size());
  for (auto _ : state) {
    assembler.Feed(bytes, [&](RecordBytes r) { engine.terminal.ReceiveRecord(r); });
  }
  Report(state, record.size());
}
BENCHMARK(BM_FullScreenFromTheWire);

}  // namespace
}  // namespace vantor

BENCHMARK_MAIN();
