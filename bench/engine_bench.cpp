// Speed of the screen engine: a full screen, a text update and a record of ignored blocks.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "settings/settings.h"
#include "model/field.h"
#include "model/page.h"
#include "interpreter/interpreter.h"
#include "interpreter/screen_effects.h"
#include "screen_builder.h"
#include "session/csession.h"
#include "session/record_assembler.h"
#include "session/record_dispatch.h"
#include "session/responses.h"

namespace vantor {
namespace {

namespace samples = testing_support::samples;

// The windows' share done as cheaply as possible: records are marked as having their windows.
class NullEffects final : public ScreenEffects {
 public:
  void RefreshPage(Page& page) override {
    for (Field* f = page.Fields().Head(); f; f = f->NextById()) f->create = f->recreate = 0;
  }
  void ShowPage(int) override {}
  void RequestFocus(Page&, Field&) override {}
  void FocusPage(Page&) override {}
  void InputOn() override {}
  void InputOff() override {}
  void Indicator(int, int) override {}
  void PostHostMessage(int) override {}
  void PostHostPrompt(int) override {}
  void PlaySound(int) override {}
  void SerialOut(std::string_view) override {}
  void Relayout() override {}
  void KeyLabelChanged(int) override {}
  void ScannerEnable(bool) override {}
  void CancelHostDialog(std::uintptr_t) override {}
  void DiscardWindow(int, std::uintptr_t) override {}
  void EnablePage(int) override {}
  void DisableAllPages() override {}
};

class NullSender final : public RecordSender {
 public:
  bool SendRecord(int, std::string_view) override { return true; }
};

struct Engine {
  Engine() { session.SetRecordSender(&sender); }
  void Run(const std::string& commands) {
    const auto* p = reinterpret_cast<const std::uint8_t*>(commands.data());
    Interpret(session, p, p + commands.size());
  }
  Settings settings;
  NullEffects effects;
  CSession session{settings, effects};
  NullSender sender;
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
    assembler.Feed(bytes, [&](RecordBytes r) { DispatchRecord(engine.session, r); });
  }
  Report(state, record.size());
}
BENCHMARK(BM_FullScreenFromTheWire);

}  // namespace
}  // namespace vantor

BENCHMARK_MAIN();
