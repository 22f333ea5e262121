// The Serial port, Serial feature and Sound options dialogs.
#include "win/dialogs/device_options_dialogs.h"

#include <commctrl.h>

#include <string>

#include "win/base/app_support.h"
#include "win/dialogs/dialog_ids.h"
#include "win/dialogs/dialog_items.h"
#include "settings/settings.h"
#include "forms/device_options.h"
#include "win/dialogs/device_options_ids.h"
#include "devices/sound_player.h"

namespace vantor {

namespace {

DeviceOptionsDialogState* StateOf(HWND dialog) {
  return reinterpret_cast<DeviceOptionsDialogState*>(GetWindowLongPtrW(dialog, DWLP_USER));
}

// An edit box's text limit and the range of the up-down attached to it.
void LimitNumber(HWND dialog, int edit, int spin, int maxChars, int low, int high) {
  SendDlgItemMessageW(dialog, edit, EM_SETLIMITTEXT, static_cast<WPARAM>(maxChars), 0);
  SendDlgItemMessageW(dialog, spin, UDM_SETRANGE32, static_cast<WPARAM>(low), static_cast<LPARAM>(high));
}

// Empties a combo and adds the entries that it does not hold yet, in order.
void FillCombo(HWND dialog, int id, const std::u16string_view* entries, int count) {
  SendDlgItemMessageW(dialog, id, CB_RESETCONTENT, 0, 0);
  for (int i = 0; i < count; ++i) {
    const std::u16string entry(entries[i]);
    if (SendDlgItemMessageW(dialog, id, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                            reinterpret_cast<LPARAM>(Wide(entry))) != CB_ERR) {
      continue;
    }
    SendDlgItemMessageW(dialog, id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(entry)));
  }
}

// Selects the combo's entry with this text (the lists are small and exact).
void SelectEntry(HWND dialog, int id, std::u16string_view text) {
  const std::u16string wanted(text);
  const LRESULT index = SendDlgItemMessageW(dialog, id, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                            reinterpret_cast<LPARAM>(Wide(wanted)));
  SendDlgItemMessageW(dialog, id, CB_SETCURSEL, static_cast<WPARAM>(index == CB_ERR ? -1 : index), 0);
}

// The text of the combo's selected list entry; empty when none is selected.
std::u16string SelectedEntry(HWND dialog, int id) {
  const LRESULT index = SendDlgItemMessageW(dialog, id, CB_GETCURSEL, 0, 0);
  if (index == CB_ERR) return {};
  const LRESULT length = SendDlgItemMessageW(dialog, id, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
  if (length == CB_ERR || length < 0) return {};
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  const LRESULT copied =
      SendDlgItemMessageW(dialog, id, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
  if (copied == CB_ERR || copied < 0) return {};
  text.resize(static_cast<std::size_t>(copied) < text.size() ? static_cast<std::size_t>(copied) : text.size());
  return FromWide(text);
}

// ---- Serial Port Options ------------------------------------------------------------------------

struct PortCombo {
  int id;
  const ComboChoices* choices;
};

constexpr PortCombo kPortCombos[] = {{IDC_SERIAL_BAUD, &kBaudChoices},
                                     {IDC_SERIAL_DATA_BITS, &kDataBitsChoices},
                                     {IDC_SERIAL_PARITY, &kParityChoices},
                                     {IDC_SERIAL_STOP_BITS, &kStopBitsChoices}};

void InitSerialPort(HWND dialog, DeviceOptionsDialogState& state) {
  const SerialPortView view = OpenSerialPortOptions(*state.settings);
  const int selected[] = {view.baud, view.dataBits, view.parity, view.stopBits};
  for (std::size_t i = 0; i < std::size(kPortCombos); ++i) {
    const PortCombo& combo = kPortCombos[i];
    FillCombo(dialog, combo.id, combo.choices->entries, combo.choices->count);
    SelectEntry(dialog, combo.id, combo.choices->entries[selected[i]]);
  }
}

void OkSerialPort(HWND dialog, DeviceOptionsDialogState& state) {
  // The combo's text: a picked entry shows there; typed text counts only when it names an entry.
  SerialPortInput input;
  input.baud = ItemText(dialog, IDC_SERIAL_BAUD);
  input.dataBits = ItemText(dialog, IDC_SERIAL_DATA_BITS);
  input.parity = ItemText(dialog, IDC_SERIAL_PARITY);
  input.stopBits = ItemText(dialog, IDC_SERIAL_STOP_BITS);
  ApplySerialPortOptions(input, *state.settings);
}

// ---- Serial Feature Options ---------------------------------------------------------------------

void InitSerialFeature(HWND dialog, DeviceOptionsDialogState& state) {
  LimitNumber(dialog, IDC_SERIAL_PORT, IDC_SERIAL_PORT_SPIN, kSerialPortNumberTextMax, kSerialPortNumberMin,
              kSerialPortNumberMax);
  LimitNumber(dialog, IDC_SERIAL_SI_PREFIX, IDC_SERIAL_SI_PREFIX_SPIN, kFramingTextMax, kFramingMin, kFramingMax);
  LimitNumber(dialog, IDC_SERIAL_SI_SUFFIX, IDC_SERIAL_SI_SUFFIX_SPIN, kFramingTextMax, kFramingMin, kFramingMax);
  LimitNumber(dialog, IDC_SERIAL_SO_PREFIX, IDC_SERIAL_SO_PREFIX_SPIN, kFramingTextMax, kFramingMin, kFramingMax);
  LimitNumber(dialog, IDC_SERIAL_SO_SUFFIX, IDC_SERIAL_SO_SUFFIX_SPIN, kFramingTextMax, kFramingMin, kFramingMax);
  LimitNumber(dialog, IDC_SERIAL_READ_INTERVAL, IDC_SERIAL_READ_INTERVAL_SPIN, kReadIntervalTextMax, kReadIntervalMin,
              kReadIntervalMax);
  const SerialFeatureView view = OpenSerialFeatureOptions(*state.settings);
  SetItemText(dialog, IDC_SERIAL_PORT, view.port);
  Check(dialog, IDC_SERIAL_OUT, view.serialOut);
  Check(dialog, IDC_SERIAL_IN, view.serialIn);
  constexpr std::u16string_view kModes[] = {kSiModeField, kSiModeCommand};
  FillCombo(dialog, IDC_SERIAL_SI_MODE, kModes, 2);
  SelectEntry(dialog, IDC_SERIAL_SI_MODE, view.command ? kSiModeCommand : kSiModeField);
  SetItemText(dialog, IDC_SERIAL_SI_PREFIX, view.siPrefix);
  SetItemText(dialog, IDC_SERIAL_SI_SUFFIX, view.siSuffix);
  SetItemText(dialog, IDC_SERIAL_SO_PREFIX, view.soPrefix);
  SetItemText(dialog, IDC_SERIAL_SO_SUFFIX, view.soSuffix);
  SetItemText(dialog, IDC_SERIAL_READ_INTERVAL, view.readInterval);
  UDACCEL accel{kReadIntervalAccelSeconds, kReadIntervalAccelStep};
  SendDlgItemMessageW(dialog, IDC_SERIAL_READ_INTERVAL_SPIN, UDM_SETACCEL, 1, reinterpret_cast<LPARAM>(&accel));
}

void OkSerialFeature(HWND dialog, DeviceOptionsDialogState& state) {
  SerialFeatureInput input;
  input.port = ItemText(dialog, IDC_SERIAL_PORT);
  input.serialOut = Checked(dialog, IDC_SERIAL_OUT);
  input.serialIn = Checked(dialog, IDC_SERIAL_IN);
  input.siMode = SelectedEntry(dialog, IDC_SERIAL_SI_MODE);
  input.siPrefix = ItemText(dialog, IDC_SERIAL_SI_PREFIX);
  input.siSuffix = ItemText(dialog, IDC_SERIAL_SI_SUFFIX);
  input.soPrefix = ItemText(dialog, IDC_SERIAL_SO_PREFIX);
  input.soSuffix = ItemText(dialog, IDC_SERIAL_SO_SUFFIX);
  input.readInterval = ItemText(dialog, IDC_SERIAL_READ_INTERVAL);
  ApplySerialFeatureOptions(input, *state.settings);
}

// ---- Sound Options ------------------------------------------------------------------------------

void InitSound(HWND dialog, DeviceOptionsDialogState& state) {
  SetWindowTextW(dialog, Wide(std::u16string(SoundDialogTitle(state.soundEvent))));
  LimitNumber(dialog, IDC_SOUND_FREQUENCY, IDC_SOUND_FREQUENCY_SPIN, kFrequencyTextMax, kFrequencyMin, kFrequencyMax);
  LimitNumber(dialog, IDC_SOUND_DURATION, IDC_SOUND_DURATION_SPIN, kDurationTextMax, kDurationMin, kDurationMax);
  LimitNumber(dialog, IDC_SOUND_VIBRATE_ON, IDC_SOUND_VIBRATE_ON_SPIN, kVibrateOnTextMax, kVibrateOnMin, kVibrateOnMax);
  LimitNumber(dialog, IDC_SOUND_VIBRATE_OFF, IDC_SOUND_VIBRATE_OFF_SPIN, kVibrateOffTextMax, kVibrateOffMin,
              kVibrateOffMax);
  LimitNumber(dialog, IDC_SOUND_VIBRATE_REPEAT, IDC_SOUND_VIBRATE_REPEAT_SPIN, kRepeatTextMax, kRepeatMin, kRepeatMax);
  SendDlgItemMessageW(dialog, IDC_SOUND_WAVE_FILE, EM_SETLIMITTEXT, kWaveFileTextMax, 0);
  const SoundOptionsView view = OpenSoundOptions(*state.settings, state.soundEvent);
  Check(dialog, IDC_SOUND_SILENCE, view.choice == SoundChoice::kSilence);
  Check(dialog, IDC_SOUND_TONE, view.choice == SoundChoice::kTone);
  Check(dialog, IDC_SOUND_WAVE, view.choice == SoundChoice::kWaveFile);
  SetItemText(dialog, IDC_SOUND_FREQUENCY, view.frequency);
  SetItemText(dialog, IDC_SOUND_DURATION, view.duration);
  SetItemText(dialog, IDC_SOUND_WAVE_FILE, view.waveFile);
  Check(dialog, IDC_SOUND_VIBRATE, view.vibrate);
  // Without a vibrator its values are shown but cannot be changed; the up-downs stay as they are.
  for (int id : {IDC_SOUND_VIBRATE, IDC_SOUND_VIBRATE_ON, IDC_SOUND_VIBRATE_OFF, IDC_SOUND_VIBRATE_REPEAT}) {
    EnableWindow(GetDlgItem(dialog, id), state.vibratorPresent ? TRUE : FALSE);
  }
  SetItemText(dialog, IDC_SOUND_VIBRATE_ON, view.onTime);
  SetItemText(dialog, IDC_SOUND_VIBRATE_OFF, view.offTime);
  SetItemText(dialog, IDC_SOUND_VIBRATE_REPEAT, view.repeat);
}

SoundOptionsInput SoundInput(HWND dialog) {
  SoundOptionsInput input;
  input.silence = Checked(dialog, IDC_SOUND_SILENCE);
  input.tone = Checked(dialog, IDC_SOUND_TONE);
  input.waveFile = Checked(dialog, IDC_SOUND_WAVE);
  input.frequency = ItemText(dialog, IDC_SOUND_FREQUENCY);
  input.duration = ItemText(dialog, IDC_SOUND_DURATION);
  input.waveFilePath = ItemText(dialog, IDC_SOUND_WAVE_FILE);
  input.vibrate = Checked(dialog, IDC_SOUND_VIBRATE);
  input.onTime = ItemText(dialog, IDC_SOUND_VIBRATE_ON);
  input.offTime = ItemText(dialog, IDC_SOUND_VIBRATE_OFF);
  input.repeat = ItemText(dialog, IDC_SOUND_VIBRATE_REPEAT);
  return input;
}

void OkSound(HWND dialog, DeviceOptionsDialogState& state) {
  ApplySoundOptions(SoundInput(dialog), *state.settings, state.soundEvent);
}

void PlaySoundPreview(HWND dialog, DeviceOptionsDialogState* state) {
  // The sound worker owns what it plays, so the player may go at once and the dialog stays responsive
  // while a tone sounds.
  const std::unique_ptr<SoundPlayer> player =
      MakePreviewPlayer(SoundInput(dialog), state->settings->Sound(state->soundEvent), state->soundAvailable);
  player->Play();
  ++state->plays;
}

// ---- dialog procedures --------------------------------------------------------------------------

INT_PTR CALLBACK SerialPortProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  return OptionsDialogMessage<DeviceOptionsDialogState>(dialog, message, wparam, lparam, InitSerialPort, OkSerialPort);
}

INT_PTR CALLBACK SerialFeatureProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  return OptionsDialogMessage<DeviceOptionsDialogState>(dialog, message, wparam, lparam, InitSerialFeature,
                                                        OkSerialFeature);
}

INT_PTR CALLBACK SoundProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_COMMAND && LOWORD(wparam) == IDC_SOUND_PLAY) {
    DeviceOptionsDialogState* state = StateOf(dialog);
    if (state == nullptr) return FALSE;
    if (HIWORD(wparam) == BN_CLICKED) PlaySoundPreview(dialog, state);
    return TRUE;
  }
  return OptionsDialogMessage<DeviceOptionsDialogState>(dialog, message, wparam, lparam, InitSound, OkSound);
}

INT_PTR RunModal(HINSTANCE resources, HWND owner, int templateId, DLGPROC procedure, DeviceOptionsDialogState* state) {
  const INT_PTR result =
      DialogBoxParamW(resources, MAKEINTRESOURCEW(templateId), owner, procedure, reinterpret_cast<LPARAM>(state));
  return result == 1 ? 1 : 0;
}

bool ValidSoundEvent(int event) { return event >= 0 && event < kSoundEventCount; }

}  // namespace

INT_PTR RunSerialPortOptionsDialog(HINSTANCE resources, HWND owner, Settings& settings) {
  DeviceOptionsDialogState state;
  state.settings = &settings;
  return RunModal(resources, owner, IDD_SERIAL_PORT_OPTIONS, SerialPortProc, &state);
}

INT_PTR RunSerialFeatureOptionsDialog(HINSTANCE resources, HWND owner, Settings& settings) {
  DeviceOptionsDialogState state;
  state.settings = &settings;
  return RunModal(resources, owner, IDD_SERIAL_FEATURE_OPTIONS, SerialFeatureProc, &state);
}

INT_PTR RunSoundOptionsDialog(HINSTANCE resources, HWND owner, Settings& settings, int soundEvent, bool soundAvailable,
                              bool vibratorPresent) {
  if (!ValidSoundEvent(soundEvent)) return 0;
  DeviceOptionsDialogState state;
  state.settings = &settings;
  state.soundEvent = soundEvent;
  state.soundAvailable = soundAvailable;
  state.vibratorPresent = vibratorPresent;
  return RunModal(resources, owner, IDD_SOUND_OPTIONS, SoundProc, &state);
}

HWND CreateSerialPortOptionsDialog(HINSTANCE resources, HWND owner, DeviceOptionsDialogState* state) {
  return CreateDialogParamW(resources, MAKEINTRESOURCEW(IDD_SERIAL_PORT_OPTIONS), owner, SerialPortProc,
                            reinterpret_cast<LPARAM>(state));
}

HWND CreateSerialFeatureOptionsDialog(HINSTANCE resources, HWND owner, DeviceOptionsDialogState* state) {
  return CreateDialogParamW(resources, MAKEINTRESOURCEW(IDD_SERIAL_FEATURE_OPTIONS), owner, SerialFeatureProc,
                            reinterpret_cast<LPARAM>(state));
}

HWND CreateSoundOptionsDialog(HINSTANCE resources, HWND owner, DeviceOptionsDialogState* state) {
  if (state == nullptr || !ValidSoundEvent(state->soundEvent)) return nullptr;
  return CreateDialogParamW(resources, MAKEINTRESOURCEW(IDD_SOUND_OPTIONS), owner, SoundProc,
                            reinterpret_cast<LPARAM>(state));
}

}  // namespace vantor
