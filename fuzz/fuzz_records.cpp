// Fuzzes the terminal's engine: received bytes cut into records and dispatched, screens interpreted,
// and the operator answering each unlocked screen by keys, navigation, dialogs and serial data.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz_input.h"
#include "interpreter/null_view.h"
#include "model/control_kind.h"
#include "model/field.h"
#include "model/page.h"
#include "session/record_assembler.h"
#include "session/terminal.h"
#include "settings/settings.h"

namespace vantor {
namespace {

// Stands in for the windows: records get handles, so that focus requests and discards happen; every
// call checks what the core promises.
class CheckingView final : public NullView {
 public:
  void RefreshPage(Page& page, const RefreshPlan& plan) override {
    for (const RefreshStep& step : plan) {
      if (step.field->page != &page) __builtin_trap();
      if (step.change == WindowChange::Touch) continue;
      step.field->link.window = ControlKindOf(*step.field) != ControlKind::None ? ++nextWindow_ : kNoWindow;
    }
  }
  void DiscardWindow(int, WindowHandle window) override {
    if (window == kNoWindow) __builtin_trap();
  }
  void FieldEdited(Field& field) override { touched_ += field.Text().size(); }
  void FocusField(Page&, Field& field) override {
    if (field.link.window == kNoWindow) __builtin_trap();
  }
  void OpenHostMessage(int) override { ++dialogs; }
  void OpenHostPrompt() override { ++dialogs; }
  void PlaySound(SoundEvent event) override {
    if (IndexOf(event) < 0 || IndexOf(event) >= kSoundEventCount) __builtin_trap();
  }
  void SerialOut(std::string_view bytes) override { touched_ += bytes.size(); }
  void KeyLabelChanged(int code, std::u16string_view) override {
    if (code < 0 || code >= kKeyLabelCount) __builtin_trap();
  }

  int dialogs = 0;

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

// One operator action on an unlocked screen, chosen by the record count.
void Operate(Terminal& terminal, CheckingView& view, std::size_t turn) {
  const Screen& screen = terminal.GetScreen();
  if (view.dialogs > 0) {
    view.dialogs = 0;
    terminal.HostDialogOpening();
    if (terminal.PromptExpected()) {
      terminal.PromptClosed(turn % 2 == 0, u"answer");
    } else {
      terminal.HostMessageClosed(screen.messageFocusField);
    }
  }
  if (screen.keyboard == Keyboard::Locked) return;
  static constexpr std::uint8_t kScan[] = {'1', '2', '3', '\r'};
  switch (turn % 4) {
    case 0:
      if (Field* field = screen.FocusedField()) field->edit.modified = true;
      terminal.KeyPressed(screen.focusField, FunctionKey::Enter);
      break;
    case 1:
      terminal.Navigate(Direction::Next);
      terminal.KeyPressed(-1, FunctionKeyFromCode(1));
      break;
    case 2: terminal.SerialReceived(SerialBytes(kScan, sizeof kScan)); break;
    default:
      terminal.Navigate(Direction::Previous);
      terminal.FieldChanged(screen.focusField);
      break;
  }
}

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
  CheckingView view;
  ZeroClock clock;
  NullSender sender;
  Terminal terminal(settings, view, sender, clock);

  // A small limit, so that oversized records are met too.
  RecordAssembler assembler(64 * 1024);
  const std::size_t chunk = fuzzing::ChunkSize(control);
  std::size_t turn = 0;
  for (std::size_t at = 0; at < size; at += chunk) {
    const std::size_t n = size - at < chunk ? size - at : chunk;
    assembler.Feed(RecordBytes(data + at, n), [&](RecordBytes record) {
      terminal.ReceiveRecord(record);
      Operate(terminal, view, turn++);
    });
  }
  return 0;
}
