// Fuzzes the record engine: received bytes cut into records, dispatched, and screens interpreted,
// with the operator answering each unlocked screen.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "settings/settings.h"
#include "model/field.h"
#include "model/page.h"
#include "fuzz_input.h"
#include "interpreter/screen_effects.h"
#include "session/csession.h"
#include "session/record_assembler.h"
#include "session/record_dispatch.h"
#include "session/responses.h"

namespace vantor {
namespace {

// Does nothing but stand in for the page windows, so that focus requests and discards happen.
class NullEffects final : public ScreenEffects {
 public:
  CSession* session = nullptr;

  void RefreshPage(Page& page) override {
    for (Field* f = page.Fields().Head(); f; f = f->NextById()) {
      if (f->create || f->recreate) {
        f->create = f->recreate = 0;
        f->window = f->Mode() != kModeNone ? ++nextWindow_ : 0;
      }
    }
  }
  void ShowPage(int) override {}
  void RequestFocus(Page&, Field& field) override { touched_ += field.Text().size(); }
  void FocusPage(Page&) override {}
  void InputOn() override {
    if (session) session->OnInputOn();
  }
  void InputOff() override {}
  void Indicator(int, int) override {}
  void PostHostMessage(int) override {}
  void PostHostPrompt(int) override {}
  void PlaySound(int soundEvent) override {
    if (soundEvent < 0 || soundEvent > kSoundUser04) __builtin_trap();
  }
  void SerialOut(std::string_view bytes) override { touched_ += bytes.size(); }
  void Relayout() override {}
  void KeyLabelChanged(int code) override {
    if (session && session->KeyLabel(code) == nullptr) __builtin_trap();
  }
  void ScannerEnable(bool) override {}
  void CancelHostDialog(std::uintptr_t) override {}
  void DiscardWindow(int, std::uintptr_t window) override {
    if (window == 0) __builtin_trap();
  }
  void EnablePage(int) override {}
  void DisableAllPages() override {}

 private:
  std::uintptr_t nextWindow_ = 0;
  std::size_t touched_ = 0;
};

class NullSender final : public RecordSender {
 public:
  bool SendRecord(int, std::string_view data) override {
    bytes += data.size();
    return true;
  }
  std::size_t bytes = 0;
};

class ZeroClock final : public Clock {
 public:
  int UtcSecond() const override { return 0; }
  LocalDateTime LocalNow() const override { return {}; }
};

}  // namespace
}  // namespace vantor

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vantor;
  if (size == 0) return 0;
  const std::uint8_t control = data[0];
  ++data;
  --size;

  Settings settings;
  settings.SetHostTextIsUtf8((control & fuzzing::kUtf8) != 0);
  NullEffects effects;
  ZeroClock clock;
  CSession session(settings, effects, clock);
  effects.session = &session;
  NullSender sender;
  session.SetRecordSender(&sender);

  // A small limit, so that oversized records are met too.
  RecordAssembler assembler(64 * 1024);
  const std::size_t chunk = fuzzing::ChunkSize(control);
  for (std::size_t at = 0; at < size; at += chunk) {
    const std::size_t n = size - at < chunk ? size - at : chunk;
    assembler.Feed(RecordBytes(data + at, n), [&](RecordBytes record) {
      DispatchRecord(session, record);
      // The operator changes the focused field and presses Enter on every unlocked screen.
      if (session.KeyboardState() < kKeyboardLocked) {
        if (Field* field = session.CurrentField()) {
          field->modified = 1;
          session.OnKey(field->id, 0);
        } else {
          session.OnKey(-1, 1);
        }
      }
    });
  }
  return 0;
}
