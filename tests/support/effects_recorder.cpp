// The recording ScreenView: one readable line per call, fake control windows on page refresh.
#include "effects_recorder.h"

#include "model/control_kind.h"
#include "model/field.h"
#include "model/page.h"

namespace vantor::testing_support {

std::string Escaped(std::string_view bytes) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string line;
  for (const char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    line += b >= 0x20 && b <= 0x7E && b != '\\' ? std::string(1, c) : std::string("\\x") + kHex[b >> 4] + kHex[b & 15];
  }
  return line;
}

std::string EffectsRecorder::Joined() const {
  std::string out;
  for (const auto& line : calls) out += (out.empty() ? "" : " | ") + line;
  return out;
}

std::vector<std::string> RecordCapture::Data() const {
  std::vector<std::string> out;
  for (const auto& sent : records) out.push_back(sent.data);
  return out;
}

void EffectsRecorder::RefreshPage(Page& page, const RefreshPlan& plan) {
  calls.push_back("Refresh " + std::to_string(page.Number()));
  for (const RefreshStep& step : plan) {
    if (step.change == WindowChange::Touch) continue;
    step.field->link.window = ControlKindOf(*step.field) == ControlKind::None ? kNoWindow : nextWindow++;
    windowsCreated += step.field->link.window != kNoWindow;
  }
}

void EffectsRecorder::FieldEdited(Field& field) { calls.push_back("Edited " + std::to_string(field.id)); }

void EffectsRecorder::FocusField(Page& page, Field& field) {
  calls.push_back("Focus " + std::to_string(page.Number()) + ":" + std::to_string(field.id));
}

void EffectsRecorder::FocusPage(Page& page) { calls.push_back("PageFocus " + std::to_string(page.Number())); }

void EffectsRecorder::KeyLabelChanged(int code, std::u16string_view label) {
  std::string text;
  for (char16_t c : label) text.push_back(c < 0x80 ? static_cast<char>(c) : '?');
  calls.push_back("KeyLabel " + std::to_string(code) + " " + text);
}

}  // namespace vantor::testing_support
