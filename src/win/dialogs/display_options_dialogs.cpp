// The Scanner, Screen, Field and Font options dialogs: controls filled from the re-read settings file,
// stored and written on OK, nothing stored on Cancel.
#include "win/dialogs/display_options_dialogs.h"

#include <commctrl.h>

#include <algorithm>
#include <cwchar>

#include "win/base/app_support.h"
#include "win/dialogs/dialog_ids.h"
#include "win/dialogs/dialog_items.h"
#include "win/base/gdi.h"
#include "settings/settings.h"
#include "forms/display_options.h"
#include "win/dialogs/display_options_ids.h"

namespace vantor {

namespace {

enum class Kind { kScanner, kScreen, kField, kFont };

void LimitText(HWND dialog, int id, int limit) { SendDlgItemMessageW(dialog, id, EM_SETLIMITTEXT, limit, 0); }

// ---- Scanner Options ----------------------------------------------------------------------------

void InitScanner(HWND dialog, Settings& settings) {
  const ScannerOptionsForm form = OpenScannerOptions(settings);
  Check(dialog, IDC_SCANNER_APPEND_ENTER, form.appendEnter);
  Check(dialog, IDC_SCANNER_APPEND_F0, form.appendF0);
  Check(dialog, IDC_SCANNER_OVERWRITE, form.overwriteFields);
  Check(dialog, IDC_SCANNER_CALLBACK, form.callbackMode);
  Check(dialog, IDC_SCANNER_WEDGE, !form.callbackMode);
}

void StoreScanner(HWND dialog, Settings& settings) {
  ScannerOptionsForm form;
  form.callbackMode = Checked(dialog, IDC_SCANNER_CALLBACK);
  form.appendEnter = Checked(dialog, IDC_SCANNER_APPEND_ENTER);
  form.appendF0 = Checked(dialog, IDC_SCANNER_APPEND_F0);
  form.overwriteFields = Checked(dialog, IDC_SCANNER_OVERWRITE);
  ApplyScannerOptions(form, settings);
}

// ---- Screen Options -----------------------------------------------------------------------------

struct ToolbarRadio {
  ToolbarChoice choice;
  int id;
};
constexpr ToolbarRadio kToolbarRadios[] = {
    {ToolbarChoice::kDisabled, IDC_SCREEN_TOOLBAR_DISABLED},
    {ToolbarChoice::kSize1x, IDC_SCREEN_TOOLBAR_1X},
    {ToolbarChoice::kSize2x, IDC_SCREEN_TOOLBAR_2X},
    {ToolbarChoice::kSize3x, IDC_SCREEN_TOOLBAR_3X},
};

void InitScreen(HWND dialog, Settings& settings) {
  const ScreenOptionsForm form = OpenScreenOptions(settings);
  LimitText(dialog, IDC_SCREEN_COLS, kScreenSizeTextMax);
  LimitText(dialog, IDC_SCREEN_ROWS, kScreenSizeTextMax);
  SendDlgItemMessageW(dialog, IDC_SCREEN_COLS_SPIN, UDM_SETRANGE32, kScreenSizeMin, kScreenSizeMax);
  SendDlgItemMessageW(dialog, IDC_SCREEN_ROWS_SPIN, UDM_SETRANGE32, kScreenSizeMin, kScreenSizeMax);
  // Numbers as text: a value from a hand-edited file may lie outside the spin range.
  SetItemText(dialog, IDC_SCREEN_COLS, form.cols);
  SetItemText(dialog, IDC_SCREEN_ROWS, form.rows);
  for (const ToolbarRadio& button : kToolbarRadios) Check(dialog, button.id, button.choice == form.toolbar);
  Check(dialog, IDC_SCREEN_FULLSCREEN, form.fullScreen);
  Check(dialog, IDC_SCREEN_CUSTOM_COLORS, form.customColors);
  Check(dialog, IDC_SCREEN_WATERMARK, form.showWaterMark);
  LimitText(dialog, IDC_SCREEN_WATERMARK_TEXT, kWaterMarkTextLimit);
  SetItemText(dialog, IDC_SCREEN_WATERMARK_TEXT, form.waterMarkText);
}

void StoreScreen(HWND dialog, Settings& settings) {
  ScreenOptionsForm form;
  form.cols = ItemText(dialog, IDC_SCREEN_COLS);
  form.rows = ItemText(dialog, IDC_SCREEN_ROWS);
  form.toolbar = ToolbarChoice::kNone;
  for (const ToolbarRadio& button : kToolbarRadios) {
    if (Checked(dialog, button.id)) {
      form.toolbar = button.choice;
      break;
    }
  }
  form.fullScreen = Checked(dialog, IDC_SCREEN_FULLSCREEN);
  form.customColors = Checked(dialog, IDC_SCREEN_CUSTOM_COLORS);
  form.showWaterMark = Checked(dialog, IDC_SCREEN_WATERMARK);
  form.waterMarkText = ItemText(dialog, IDC_SCREEN_WATERMARK_TEXT);
  ApplyScreenOptions(form, settings);
}

// ---- Field Options ------------------------------------------------------------------------------

void InitField(HWND dialog, Settings& settings) {
  const FieldOptionsForm form = OpenFieldOptions(settings);
  Check(dialog, IDC_FIELD_ENTER_F0, form.enterToF0);
  Check(dialog, IDC_FIELD_OVERWRITE, form.overwrite);
  LimitText(dialog, IDC_FIELD_NUMERICS, kNumericCharsTextMax);
  SetItemText(dialog, IDC_FIELD_NUMERICS, form.numerics);
}

void StoreField(HWND dialog, Settings& settings) {
  FieldOptionsForm form;
  form.enterToF0 = Checked(dialog, IDC_FIELD_ENTER_F0);
  form.overwrite = Checked(dialog, IDC_FIELD_OVERWRITE);
  form.numerics = ItemText(dialog, IDC_FIELD_NUMERICS);
  ApplyFieldOptions(form, settings);
}

// ---- Font Options -------------------------------------------------------------------------------

int CALLBACK CollectFamily(const LOGFONTW* font, const TEXTMETRICW*, DWORD, LPARAM context) {
  auto* families = reinterpret_cast<std::vector<std::u16string>*>(context);
  if (font != nullptr) {
    AddFontFamily(*families, FromWide(font->lfFaceName, wcsnlen(font->lfFaceName, LF_FACESIZE)));
  }
  return 1;
}

// The text of a list entry; empty when there is none.
std::u16string ComboEntry(HWND combo, int index) {
  const LRESULT length = SendMessageW(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
  if (length == CB_ERR || length < 0) return {};
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  const LRESULT copied =
      SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
  if (copied == CB_ERR || copied < 0) return {};
  text.resize(static_cast<std::size_t>(std::min(copied, length)));
  return FromWide(text);
}

void FillFontList(HWND dialog, const Settings& settings) {
  HWND combo = GetDlgItem(dialog, IDC_FONT_NAME);
  SendMessageW(combo, CB_RESETCONTENT, 0, 0);
  std::vector<std::u16string> families;
  {
    gdi::WindowDc dc(dialog);
    if (dc) families = InstalledFontFamilies(dc.get(), settings.FontOutPrecision(), settings.FontQuality());
  }
  for (const std::u16string& family : families) {
    SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(family)));
  }
  // The list is sorted: choose among the entries in the order it shows them.
  std::vector<std::u16string> shown;
  const LRESULT count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
  for (int i = 0; i < count; ++i) shown.push_back(ComboEntry(combo, i));
  const int selected = FontEntryToSelect(shown, settings.FontName());
  SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
}

void InitFont(HWND dialog, Settings& settings) {
  LimitText(dialog, IDC_FONT_SIZE, kFontSizeTextMax);
  const FontOptionsForm form = OpenFontOptions(settings);
  SetItemText(dialog, IDC_FONT_SIZE, form.pointSize);
  SetItemText(dialog, IDC_FONT_CELL_WIDTH, form.additionalWidth);
  Check(dialog, IDC_FONT_AUTOSIZE, form.autoSize);
  Check(dialog, IDC_FONT_UPPER_CASE, form.upperCase);
  FillFontList(dialog, settings);
}

void StoreFont(HWND dialog, Settings& settings) {
  FontOptionsForm form;
  form.autoSize = Checked(dialog, IDC_FONT_AUTOSIZE);
  form.pointSize = ItemText(dialog, IDC_FONT_SIZE);
  form.additionalWidth = ItemText(dialog, IDC_FONT_CELL_WIDTH);
  form.upperCase = Checked(dialog, IDC_FONT_UPPER_CASE);
  HWND combo = GetDlgItem(dialog, IDC_FONT_NAME);
  const LRESULT selected = SendMessageW(combo, CB_GETCURSEL, 0, 0);
  if (selected != CB_ERR && selected >= 0) form.fontName = ComboEntry(combo, static_cast<int>(selected));
  ApplyFontOptions(form, settings);
}

// ---- the dialog procedure -----------------------------------------------------------------------

void Init(Kind kind, HWND dialog, Settings& settings) {
  switch (kind) {
    case Kind::kScanner: InitScanner(dialog, settings); break;
    case Kind::kScreen: InitScreen(dialog, settings); break;
    case Kind::kField: InitField(dialog, settings); break;
    case Kind::kFont: InitFont(dialog, settings); break;
  }
}

void Store(Kind kind, HWND dialog, Settings& settings) {
  switch (kind) {
    case Kind::kScanner: StoreScanner(dialog, settings); break;
    case Kind::kScreen: StoreScreen(dialog, settings); break;
    case Kind::kField: StoreField(dialog, settings); break;
    case Kind::kFont: StoreFont(dialog, settings); break;
  }
}

template <Kind kKind>
void FillDialog(HWND dialog, DisplayOptionsDialogState& state) {
  Init(kKind, dialog, *state.settings);
}

template <Kind kKind>
void StoreDialog(HWND dialog, DisplayOptionsDialogState& state) {
  Store(kKind, dialog, *state.settings);
}

template <Kind kKind>
INT_PTR CALLBACK OptionsProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  return OptionsDialogMessage<DisplayOptionsDialogState>(dialog, message, wparam, lparam, FillDialog<kKind>,
                                                         StoreDialog<kKind>);
}

template <Kind kKind>
INT_PTR RunModal(HINSTANCE resources, HWND owner, Settings& settings, int templateId) {
  DisplayOptionsDialogState state{&settings, -1};
  const INT_PTR result = DialogBoxParamW(resources, MAKEINTRESOURCEW(templateId), owner, OptionsProc<kKind>,
                                         reinterpret_cast<LPARAM>(&state));
  return result == IDOK ? 1 : 0;
}

template <Kind kKind>
HWND CreateModeless(HINSTANCE resources, HWND owner, DisplayOptionsDialogState* state, int templateId) {
  return CreateDialogParamW(resources, MAKEINTRESOURCEW(templateId), owner, OptionsProc<kKind>,
                            reinterpret_cast<LPARAM>(state));
}

}  // namespace

INT_PTR RunScannerOptionsDialog(HINSTANCE resources, HWND owner, Settings& settings) {
  return RunModal<Kind::kScanner>(resources, owner, settings, IDD_SCANNER_OPTIONS);
}
INT_PTR RunScreenOptionsDialog(HINSTANCE resources, HWND owner, Settings& settings) {
  return RunModal<Kind::kScreen>(resources, owner, settings, IDD_SCREEN_OPTIONS);
}
INT_PTR RunFieldOptionsDialog(HINSTANCE resources, HWND owner, Settings& settings) {
  return RunModal<Kind::kField>(resources, owner, settings, IDD_FIELD_OPTIONS);
}
INT_PTR RunFontOptionsDialog(HINSTANCE resources, HWND owner, Settings& settings) {
  return RunModal<Kind::kFont>(resources, owner, settings, IDD_FONT_OPTIONS);
}

HWND CreateScannerOptionsDialog(HINSTANCE resources, HWND owner, DisplayOptionsDialogState* state) {
  return CreateModeless<Kind::kScanner>(resources, owner, state, IDD_SCANNER_OPTIONS);
}
HWND CreateScreenOptionsDialog(HINSTANCE resources, HWND owner, DisplayOptionsDialogState* state) {
  return CreateModeless<Kind::kScreen>(resources, owner, state, IDD_SCREEN_OPTIONS);
}
HWND CreateFieldOptionsDialog(HINSTANCE resources, HWND owner, DisplayOptionsDialogState* state) {
  return CreateModeless<Kind::kField>(resources, owner, state, IDD_FIELD_OPTIONS);
}
HWND CreateFontOptionsDialog(HINSTANCE resources, HWND owner, DisplayOptionsDialogState* state) {
  return CreateModeless<Kind::kFont>(resources, owner, state, IDD_FONT_OPTIONS);
}

std::vector<std::u16string> InstalledFontFamilies(HDC dc, int outPrecision, int quality) {
  std::vector<std::u16string> families;
  LOGFONTW wanted{};
  wanted.lfCharSet = DEFAULT_CHARSET;
  wanted.lfOutPrecision = static_cast<BYTE>(outPrecision);
  wanted.lfQuality = static_cast<BYTE>(quality);
  wanted.lfFaceName[0] = L'\0';  // every family
  EnumFontFamiliesExW(dc, &wanted, CollectFamily, reinterpret_cast<LPARAM>(&families), 0);
  return families;
}

}  // namespace vantor
