// A terminal with recorded effects and captured records, for the screen interpreter's tests.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "effects_recorder.h"
#include "screen_builder.h"
#include "session/terminal.h"
#include "settings/settings.h"

namespace vantor {

class InterpreterTest : public ::testing::Test {
 protected:
  // Interprets a command run held in a heap block of exactly its size, so that a read past the
  // end is caught by the address sanitizer.
  void Run(std::string_view commands) {
    const std::size_t n = commands.size();
    std::unique_ptr<std::uint8_t[]> block(new std::uint8_t[n == 0 ? 1 : n]);
    for (std::size_t i = 0; i < n; ++i) block[i] = static_cast<std::uint8_t>(commands[i]);
    terminal.Interpret(block.get(), block.get() + n);
  }
  void Run(const host_records::ScreenBuilder& screen) { Run(screen.Commands()); }

  // The whole H record, as the session thread delivers it.
  void Dispatch(const host_records::ScreenBuilder& screen) {
    const std::string record = screen.Record();
    terminal.ReceiveRecord(RecordBytes(reinterpret_cast<const std::uint8_t*>(record.data()), record.size()));
  }

  // Runs a screen, then forgets the effects and records it caused.
  void Setup(const host_records::ScreenBuilder& screen) {
    Run(screen);
    effects.Clear();
    sent.Clear();
  }

  Field* FieldOf(int id, int page = 0) { return screen.pages.At(page)->Fields().Find(id); }
  std::u16string TextOf(int id, int page = 0) {
    Field* f = FieldOf(id, page);
    return f ? f->Text() : u"<none>";
  }

  Settings settings;
  testing_support::EffectsRecorder effects;
  testing_support::FixedClock clock;
  testing_support::RecordCapture sent;
  Terminal terminal{settings, effects, sent, clock};
  Screen& screen = terminal.GetScreen();
};

}  // namespace vantor
