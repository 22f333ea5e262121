// A session with recorded effects and captured records, for the screen interpreter's tests.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "settings/settings.h"
#include "effects_recorder.h"
#include "interpreter/interpreter.h"
#include "screen_builder.h"
#include "session/csession.h"
#include "session/record_dispatch.h"

namespace vantor {

class InterpreterTest : public ::testing::Test {
 protected:
  InterpreterTest() {
    session.SetRecordSender(&sent);
    // The main window answers the input-on request by calling the session back.
    effects.onInputOn = [this] { session.OnInputOn(); };
  }

  // Interprets a command run held in a heap block of exactly its size, so that a read past the
  // end is caught by the address sanitizer.
  void Run(std::string_view commands) {
    const std::size_t n = commands.size();
    std::unique_ptr<std::uint8_t[]> block(new std::uint8_t[n == 0 ? 1 : n]);
    for (std::size_t i = 0; i < n; ++i) block[i] = static_cast<std::uint8_t>(commands[i]);
    Interpret(session, block.get(), block.get() + n);
  }
  void Run(const testing_support::ScreenBuilder& screen) { Run(screen.Commands()); }

  // The whole H record through the record dispatcher, as the session delivers it.
  void Dispatch(const testing_support::ScreenBuilder& screen) {
    const std::string record = screen.Record();
    DispatchRecord(session, RecordBytes(reinterpret_cast<const std::uint8_t*>(record.data()), record.size()));
  }

  // Runs a screen, then forgets the effects and records it caused.
  void Setup(const testing_support::ScreenBuilder& screen) {
    Run(screen);
    effects.Clear();
    sent.Clear();
  }

  Field* FieldOf(int id, int page = 0) { return session.Pages().At(page)->Fields().Find(id); }
  std::u16string TextOf(int id, int page = 0) {
    Field* f = FieldOf(id, page);
    return f ? f->Text() : u"<none>";
  }

  Settings settings;
  testing_support::EffectsRecorder effects;
  testing_support::FixedClock clock;
  CSession session{settings, effects, clock};
  testing_support::RecordCapture sent;
};

}  // namespace vantor
