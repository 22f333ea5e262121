// The recording ScreenEffects: one readable line per call, fake control windows on page refresh.
#include "effects_recorder.h"

#include <cstdio>

#include "model/field.h"
#include "model/page.h"

namespace vantor::testing_support {

std::string EffectsRecorder::Joined() const {
  std::string out;
  for (const auto& line : calls) {
    if (!out.empty()) out += " | ";
    out += line;
  }
  return out;
}

int EffectsRecorder::Count(std::string_view prefix) const {
  int n = 0;
  for (const auto& line : calls) {
    if (std::string_view(line).substr(0, prefix.size()) == prefix) ++n;
  }
  return n;
}

std::vector<std::string> RecordCapture::Data() const {
  std::vector<std::string> out;
  for (const auto& sent : records) out.push_back(sent.data);
  return out;
}

void EffectsRecorder::RefreshPage(Page& page) {
  calls.push_back("Refresh " + std::to_string(page.Number()));
  if (!fakeWindows) return;
  for (Field* field = page.Fields().Head(); field; field = field->NextById()) {
    if (field->create) {
      field->create = 0;
      if (field->Mode() != kModeNone) {
        field->window = nextWindow++;
        ++windowsCreated;
      }
    }
    if (field->recreate) {
      field->recreate = 0;
      field->window = 0;
      if (field->Mode() != kModeNone) {
        field->window = nextWindow++;
        ++windowsCreated;
      }
    }
  }
}

void EffectsRecorder::ShowPage(int page) { calls.push_back("Show " + std::to_string(page)); }

void EffectsRecorder::RequestFocus(Page& page, Field& field) {
  calls.push_back("Focus " + std::to_string(page.Number()) + ":" + std::to_string(field.id));
}

void EffectsRecorder::FocusPage(Page& page) { calls.push_back("PageFocus " + std::to_string(page.Number())); }

void EffectsRecorder::InputOn() {
  calls.push_back("InputOn");
  if (onInputOn) onInputOn();
}

void EffectsRecorder::InputOff() {
  calls.push_back("InputOff");
  if (onInputOff) onInputOff();
}

void EffectsRecorder::Indicator(int wparam, int lparam) {
  calls.push_back("Indicator " + std::to_string(wparam) + "," + std::to_string(lparam));
}

void EffectsRecorder::PostHostMessage(int focusField) {
  calls.push_back("HostMessage " + std::to_string(focusField));
}

void EffectsRecorder::PostHostPrompt(int inputLength) {
  calls.push_back("HostPrompt " + std::to_string(inputLength));
}

void EffectsRecorder::PlaySound(int soundEvent) { calls.push_back("Sound " + std::to_string(soundEvent)); }

void EffectsRecorder::SerialOut(std::string_view bytes) {
  std::string line = "Serial ";
  for (const char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    if (b >= 0x20 && b <= 0x7E && b != '\\') {
      line.push_back(c);
    } else {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", b);
      line += hex;
    }
  }
  calls.push_back(std::move(line));
}

void EffectsRecorder::Relayout() { calls.push_back("Relayout"); }

void EffectsRecorder::KeyLabelChanged(int code) { calls.push_back("KeyLabel " + std::to_string(code)); }

void EffectsRecorder::ScannerEnable(bool enable) { calls.push_back(enable ? "Scanner 1" : "Scanner 0"); }

void EffectsRecorder::CancelHostDialog(std::uintptr_t dialog) {
  calls.push_back("CancelDialog " + std::to_string(dialog));
}

void EffectsRecorder::DiscardWindow(int page, std::uintptr_t window) {
  calls.push_back("Discard " + std::to_string(page) + ":" + std::to_string(window));
}

void EffectsRecorder::EnablePage(int page) { calls.push_back("Enable " + std::to_string(page)); }

void EffectsRecorder::DisableAllPages() { calls.push_back("DisableAll"); }

}  // namespace vantor::testing_support
