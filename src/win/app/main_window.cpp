// The main window: custom messages, keyboard mapping, menus, creation and the two-stage shutdown.
#include "win/app/main_window.h"

#include <string>
#include <vector>

#include "win/app/app_dialogs.h"
#include "win/app/app_globals.h"
#include "win/base/app_support.h"
#include "win/base/message_loop.h"
#include "win/base/resource_ids.h"
#include "look/menu_ids.h"
#include "win/dialogs/dialog_ids.h"
#include "win/app/serial_link.h"
#include "win/base/messages.h"
#include "look/window_rules.h"
#include "settings/settings.h"
#include "model/field.h"
#include "model/function_keys.h"
#include "model/page.h"
#include "devices/serial_queues.h"
#include "session/csession.h"
#include "session/record_dispatch.h"
#include "devices/sound_player.h"
#include "win/toolbar/lock_indicator.h"
#include "win/toolbar/toolbar.h"

namespace vantor {

namespace {

bool KeyDown(int virtualKey) { return (GetKeyState(virtualKey) & 0x8000) != 0; }

HWND AsWindow(std::uintptr_t handle) { return reinterpret_cast<HWND>(handle); }

SerialSetup SerialSetupFrom(const Settings& settings) {
  SerialSetup setup;
  const SerialLineSettings& line = settings.SerialLine();
  setup.port = line.port;
  setup.baud = line.baud;
  setup.parity = line.parity.empty() ? u'\0' : line.parity.front();
  setup.dataBits = line.dataBits.empty() ? u'\0' : line.dataBits.front();
  setup.stopBits = line.stopBits;
  const SerialFeatureSettings& feature = settings.SerialFeature();
  setup.serialIn = feature.inEnabled;
  setup.startByte = feature.inStart;
  setup.endByte = feature.inEnd;
  setup.serialOut = feature.outEnabled;
  setup.prefix = feature.outPrefix;
  setup.suffix = feature.outSuffix;
  const SerialTimeoutSettings& t = settings.SerialTimeouts();
  setup.timeouts = {static_cast<std::uint32_t>(t.readIntervalTimeout),
                    static_cast<std::uint32_t>(t.readTotalTimeoutMultiplier),
                    static_cast<std::uint32_t>(t.readTotalTimeoutConstant),
                    static_cast<std::uint32_t>(t.writeTotalTimeoutMultiplier),
                    static_cast<std::uint32_t>(t.writeTotalTimeoutConstant)};
  return setup;
}

}  // namespace

MainWindow::MainWindow(AppGlobals& app, MainWindowOptions options)
    : app_(app), options_(std::move(options)), serialInbox_(std::make_shared<SerialInbox>()) {}

MainWindow::~MainWindow() = default;

ATOM MainWindow::RegisterWindowClass(AppGlobals& app) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.style = CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = app.instance;
  wc.hIcon = LoadIconW(app.resources, MAKEINTRESOURCEW(IDI_VANTOR));
  wc.hIconSm = LoadIconW(app.resources, MAKEINTRESOURCEW(IDI_VANTOR_SMALL));
  wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1));
  // The class menu is taken from the instance; the creation handler sets the mode's menu in any case.
  wc.lpszMenuName = app.instance == app.resources
                        ? MAKEINTRESOURCEW(MenuForMode(app.settings->AdminMode()))
                        : nullptr;
  wc.lpszClassName = app.windowClass.c_str();
  return RegisterClassExW(&wc);
}

HWND MainWindow::Create(DWORD style, int left, int top, int width, int height) {
  return CreateWindowExW(0, app_.windowClass.c_str(), app_.title.c_str(), style, left, top, width, height, nullptr,
                         nullptr, app_.instance, this);
}

LRESULT CALLBACK MainWindow::WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lparam);
    auto* self = static_cast<MainWindow*>(create->lpCreateParams);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    if (self != nullptr) self->window_ = window;
    return DefWindowProcW(window, message, wparam, lparam);
  }
  auto* self = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self == nullptr) return DefWindowProcW(window, message, wparam, lparam);
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    self->window_ = nullptr;
    return DefWindowProcW(window, message, wparam, lparam);
  }
  return self->Handle(message, wparam, lparam);
}

HWND MainWindow::PageWindow(int page) const {
  if (!app_.session) return nullptr;
  Page* p = app_.session->Pages().At(page);
  return p != nullptr ? AsWindow(p->window) : nullptr;
}

Field* MainWindow::FindCurrentField(int id) const {
  if (!app_.session) return nullptr;
  Page* page = app_.session->CurrentPagePtr();
  return page != nullptr ? page->Fields().Find(id) : nullptr;
}

LRESULT MainWindow::Handle(UINT message, WPARAM wparam, LPARAM lparam) {
  CSession* session = app_.session.get();
  switch (message) {
    case WM_CREATE:
      return OnCreate();
    case WM_DESTROY:
      OnDestroy();
      return 0;
    case WM_MOVE:
    case WM_SIZE:
      if (app_.indicator) app_.indicator->Reposition();
      break;
    case WM_SETFOCUS:
      OnSetFocus();
      return 0;
    case WM_CLOSE:
      if (!app_.settings->FullScreen()) DestroyWindow(window_);
      return 0;
    case WM_WINDOWPOSCHANGED:
      // Without default processing no WM_MOVE or WM_SIZE follows, so the indicator moves here too.
      Arrange();
      if (app_.indicator) app_.indicator->Reposition();
      return 0;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      OnKey(wparam);
      return 0;
    case WM_KEYUP:
      return 0;
    case WM_COMMAND:
      if (!IsMainWindowCommand(LOWORD(wparam))) break;
      OnCommand(wparam, lparam);
      return 0;
    case WM_TIMER:
      if (wparam == kReconnectTimer) {
        KillTimer(window_, kReconnectTimer);
        SendMessageW(window_, WM_VDX_START_SESSION, 0, 0);
      }
      return 0;

    case WM_VDX_START_SESSION:
      if (session != nullptr) session->Start(*this);
      return 0;
    case WM_VDX_SESSION_ENDED:
      OnSessionEnded(wparam);
      return 0;
    case WM_VDX_SESSION_RECORD:
      if (session != nullptr && lparam != 0) DispatchRecord(*session, *reinterpret_cast<const RecordBytes*>(lparam));
      return 0;
    case WM_VDX_KEY:
      if (session != nullptr) session->OnKey(static_cast<int>(static_cast<INT_PTR>(wparam)), static_cast<long>(lparam));
      return 0;
    case WM_VDX_NAVIGATE:
      if (session != nullptr) session->OnNavigate(static_cast<int>(static_cast<INT_PTR>(wparam)));
      return 0;
    case WM_VDX_KEYLABEL:
      KeyLabelChanged(static_cast<int>(wparam));
      return 0;
    case WM_VDX_TOOLBARKEY:
      if (session != nullptr) {
        SendMessageW(window_, WM_VDX_KEY, static_cast<WPARAM>(static_cast<INT_PTR>(session->FocusField())),
                     static_cast<LPARAM>(wparam & 0xFFFF));
      }
      return 0;
    case WM_VDX_FIELD_FOCUSED:
      if (session != nullptr) session->OnFieldFocused(static_cast<int>(static_cast<INT_PTR>(wparam)));
      return 0;
    case WM_VDX_FIELD_CHANGED:
      if (session != nullptr) session->OnFieldChanged(static_cast<int>(static_cast<INT_PTR>(wparam)));
      return 0;
    case WM_VDX_HOST_MESSAGE:
      OnHostMessage(wparam, lparam);
      return 0;
    case WM_VDX_HOST_PROMPT:
      OnHostPrompt();
      return 0;
    case WM_VDX_INDICATOR:
      OnIndicator(wparam, lparam);
      return 0;
    case WM_VDX_INPUT_OFF:
      if (session != nullptr) session->OnInputOff();
      return 0;
    case WM_VDX_INPUT_ON:
      OnInputOn();
      return 0;
    case WM_VDX_INDICATOR_OFF:
      SendMessageW(window_, WM_VDX_INDICATOR, 1, 0);
      return 0;
    case WM_VDX_RELAYOUT:
      Relayout();
      return 0;
    case WM_VDX_GET_INPUT_PAGE: {
      Page* page = session != nullptr ? session->CurrentPagePtr() : nullptr;
      if (lparam != 0) *reinterpret_cast<Page**>(lparam) = page;
      return page != nullptr ? 1 : 0;
    }
    case WM_VDX_GET_CURRENT_FIELD: {
      Field* field = session != nullptr ? session->CurrentField() : nullptr;
      if (field == nullptr || lparam == 0) return 0;
      *reinterpret_cast<Field**>(lparam) = field;
      return 1;
    }
    case WM_VDX_SERIAL_OUT: {
      std::unique_ptr<std::string> bytes(reinterpret_cast<std::string*>(lparam));
      if (bytes && app_.serial) SendSerial(*app_.serial, *bytes);
      return 0;
    }
    case WM_VDX_SERIAL_INPUT:
      OnSerialInput();
      return 0;
    case WM_VDX_KEYBOARD_STATE:
      return session != nullptr ? session->KeyboardState() : 0;
    case WM_VDX_ARRANGE:
      Arrange();
      return 0;
    case WM_VDX_SCANNER_ENABLE:
      EnableScanner(wparam != 0);
      return 0;
    default:
      break;
  }
  return DefWindowProcW(window_, message, wparam, lparam);
}

// --- Creation and destruction -------------------------------------------------------------------------

LRESULT MainWindow::OnCreate() {
  app_.mainWindow = window_;
  SetMenuForMode();
  app_.settings->ReadSettings();
  if (app_.settings->ToolbarSize() >= 0) CreateToolBar();
  app_.frame = std::make_unique<AppFrame>(window_, app_.accelerators);
  if (app_.messageLoop != nullptr) app_.messageLoop->SetFilter(app_.frame.get());
  app_.session = std::make_unique<CSession>(*app_.settings, *this);
  CreatePages();
  app_.indicator = std::make_unique<LockIndicator>(window_, app_.instance);
  if (options_.startSession) SendMessageW(window_, WM_VDX_START_SESSION, 0, 0);
  OpenSerial();
  SetForegroundWindow(window_);
  return 0;
}

void MainWindow::CreatePages() {
  PageList& pages = app_.session->Pages();
  for (int n = 0; n < PageList::kPageCount; ++n) {
    PageWindowState& state = pageStates_[static_cast<std::size_t>(n)];
    state = PageWindowState{pages.At(n), app_.settings.get(), window_};
    CreatePageWindow(window_, app_.instance, &state);
  }
  pages.Show(0);
}

void MainWindow::DetachPages() {
  if (!app_.session) return;
  PageList& pages = app_.session->Pages();
  for (int n = 0; n < PageList::kPageCount; ++n) {
    if (Page* page = pages.At(n)) DetachPageWindow(AsWindow(page->window));
    pageStates_[static_cast<std::size_t>(n)] = PageWindowState{};
  }
}

void MainWindow::OnDestroy() {
  DestroySoundPlayers(app_);
  if (app_.session) {
    app_.session->Stop();
    DetachPages();
    app_.session.reset();
  }
  app_.toolbar.reset();
  CloseSerialChannel(app_.serial);
  if (app_.indicator) {
    app_.indicator->Hide();
    app_.indicator.reset();
  }
  if (app_.messageLoop != nullptr) app_.messageLoop->ClearFilter();
  app_.frame.reset();
  RemoveMenu();
  KillTimer(window_, kReconnectTimer);
  Settings& settings = *app_.settings;
  settings.SetWindowState(WindowStateFromStyle(static_cast<std::uint32_t>(GetWindowLongW(window_, GWL_STYLE))));
  if (!settings.FullScreen()) {
    RECT rect{};
    GetWindowRect(window_, &rect);
    settings.SetWindowPosition(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
  }
  settings.WriteSettings();
  if (app_.mainWindow == window_) app_.mainWindow = nullptr;
  if (options_.postQuit) PostQuitMessage(0);
}

void MainWindow::SetMenuForMode() {
  RemoveMenu();
  HMENU menu = LoadMenuW(app_.resources, MAKEINTRESOURCEW(MenuForMode(app_.settings->AdminMode())));
  if (menu != nullptr) SetMenu(window_, menu);
}

void MainWindow::RemoveMenu() {
  HMENU menu = GetMenu(window_);
  if (menu == nullptr) return;
  SetMenu(window_, nullptr);
  DestroyMenu(menu);
}

void MainWindow::CreateToolBar() {
  app_.toolbar = std::make_unique<Toolbar>(window_, app_.instance, app_.settings->ToolbarSize());
  if (app_.toolbar->BarWindow() == nullptr) app_.toolbar.reset();
}

void MainWindow::OpenSerial() {
  // The reader thread only queues and posts: the delivery runs here on the UI thread.
  std::shared_ptr<SerialInbox> inbox = serialInbox_;
  HWND window = window_;
  app_.serial = OpenSerialChannel(SerialSetupFrom(*app_.settings), [inbox, window](const std::uint8_t* data,
                                                                                   std::size_t length) {
    if (inbox->Push(data, length)) PostMessageW(window, WM_VDX_SERIAL_INPUT, 0, 0);
  });
}

// --- Messages -----------------------------------------------------------------------------------------

void MainWindow::OnSetFocus() {
  if (!app_.session) return;
  Page* page = app_.session->CurrentPagePtr();
  if (page == nullptr) return;
  Field* field = page->Fields().Find(app_.session->FocusField());
  HWND control = field != nullptr ? AsWindow(field->window) : nullptr;
  if (control == nullptr || field->Mode() == kModeDisplay) {
    SetFocus(AsWindow(page->window));
  } else {
    SetFocus(control);
  }
}

void MainWindow::OnKey(WPARAM virtualKey) {
  const KeyAction action =
      FunctionKeyAction(static_cast<unsigned>(virtualKey), KeyDown(VK_CONTROL), KeyDown(VK_SHIFT), KeyDown(VK_MENU),
                        app_.settings->EnterSendsKey(), KeyOrigin::MainWindow);
  if (action.kind == KeyAction::Code) {
    SendMessageW(window_, WM_VDX_KEY, static_cast<WPARAM>(-1), static_cast<LPARAM>(action.code & 0xFFFF));
  }
}

void MainWindow::OnSessionEnded(WPARAM stopFlag) {
  if (app_.session) app_.session->Stop();
  SetFocus(window_);
  if (stopFlag == 0) SetTimer(window_, kReconnectTimer, kReconnectDelayMs, nullptr);
}

void MainWindow::OnIndicator(WPARAM wparam, LPARAM lparam) {
  if (!app_.indicator) return;
  if (lparam == 1) {
    SendMessageW(window_, WM_VDX_INPUT_OFF, 0, 0);
    app_.indicator->Show(static_cast<int>(wparam));
  } else {
    app_.indicator->Hide();
  }
}

void MainWindow::OnInputOn() {
  // Keystrokes typed while the host was busy are dropped.
  MSG pending{};
  while (PeekMessageW(&pending, nullptr, WM_KEYDOWN, 0x109, PM_REMOVE)) {
  }
  if (app_.session) app_.session->OnInputOn();
}

void MainWindow::OnHostMessage(WPARAM wparam, LPARAM lparam) {
  SendMessageW(window_, WM_VDX_INPUT_ON, 0, 0);
  const bool previous = EnableScanner(false);
  RunDialog(IDD_ADVISORY);
  EnableScanner(previous);
  if (app_.frame) app_.frame->RequestLayout();
  if (app_.session) app_.session->OnHostMessageClosed(static_cast<int>(wparam), static_cast<long>(lparam));
}

void MainWindow::OnHostPrompt() {
  if (!app_.session || app_.session->PromptLength() == -1) return;
  SendMessageW(window_, WM_VDX_INPUT_ON, 0, 0);
  const INT_PTR result = RunDialog(IDD_PROMPT);
  if (app_.frame) app_.frame->RequestLayout();
  SendMessageW(window_, WM_VDX_INPUT_OFF, 0, 0);
  if (app_.session && (result & 0xFFFF) == IDOK) app_.session->SendPromptReply();
}

void MainWindow::OnSerialInput() {
  for (const std::vector<std::uint8_t>& message : serialInbox_->TakeAll()) {
    if (!app_.session) return;
    RouteSerialInput(SerialBytes(message.data(), message.size()), app_.settings->SerialCommandMode(), *this);
  }
}

void MainWindow::Arrange() {
  RECT area{};
  GetClientRect(window_, &area);
  if (app_.toolbar && app_.toolbar->BarWindow() != nullptr) {
    MoveWindow(app_.toolbar->BarWindow(), area.left, area.top, area.right - area.left, app_.toolbar->BarHeight(),
               TRUE);
    area.top += app_.toolbar->BarHeight();
  }
  std::vector<HWND> descendants;
  EnumChildWindows(
      window_,
      [](HWND child, LPARAM list) -> BOOL {
        reinterpret_cast<std::vector<HWND>*>(list)->push_back(child);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&descendants));
  for (HWND child : descendants) {
    wchar_t name[19] = {};
    GetClassNameW(child, name, 19);
    if (lstrcmpW(name, kPageClass) == 0) {
      MoveWindow(child, area.left, area.top, area.right - area.left, area.bottom - area.top, TRUE);
      // Only the page in front is shown; the others stay hidden behind it.
      if (!PageWindowShown(child)) continue;
    } else if (PageStateOf(GetParent(child)) != nullptr) {
      // A control the host defined as hidden stays hidden, and so does one on its way out.
      const Field* field = FieldOfControl(child);
      if (field == nullptr || (field->attributes & kAttrHidden)) continue;
    }
    ShowWindow(child, SW_SHOW);
  }
}

INT_PTR MainWindow::RunDialog(int templateId, int soundEvent) {
  if (options_.runDialog) return options_.runDialog(templateId, soundEvent);
  return RunAppDialog(app_, templateId, soundEvent);
}

void MainWindow::OnCommand(WPARAM wparam, LPARAM lparam) {
  (void)lparam;
  const int command = LOWORD(wparam);
  Settings& settings = *app_.settings;
  bool dialogOk = false;
  bool destroyed = false;
  auto afterDialog = [&](INT_PTR result) {
    if (app_.frame) app_.frame->RequestLayout();
    dialogOk = result == IDOK;
    return dialogOk;
  };
  switch (command) {
    case IDM_ABOUT:
      afterDialog(RunDialog(IDD_ABOUT));
      break;
    case IDM_OPTIONS:
      if (afterDialog(RunDialog(IDD_LOGIN))) {
        RemoveMenu();
        if (!settings.FullScreen()) SetMenuForMode();
        SendMessageW(window_, WM_VDX_ARRANGE, 0, 0);
      }
      break;
    case IDM_HOST:
      if (afterDialog(RunDialog(IDD_HOST_OPTIONS))) PostMessageW(window_, WM_VDX_SESSION_ENDED, 0, 0);
      break;
    case IDM_SCANNER:
      afterDialog(RunDialog(IDD_SCANNER_OPTIONS));
      break;
    case IDM_SCREEN:
      if (afterDialog(RunDialog(IDD_SCREEN_OPTIONS))) {
        RemoveMenu();
        if (!settings.FullScreen()) SetMenuForMode();
        app_.toolbar.reset();
        if (settings.ToolbarSize() >= 0) CreateToolBar();
        SendMessageW(window_, WM_VDX_ARRANGE, 0, 0);
      }
      break;
    case IDM_FIELDS:
      afterDialog(RunDialog(IDD_FIELD_OPTIONS));
      break;
    case IDM_FONT:
      afterDialog(RunDialog(IDD_FONT_OPTIONS));
      break;
    case IDM_SERIAL_SETTINGS:
    case IDM_SERIAL_FEATURE:
      if (afterDialog(RunDialog(command == IDM_SERIAL_SETTINGS ? IDD_SERIAL_PORT_OPTIONS : IDD_SERIAL_FEATURE_OPTIONS)) &&
          app_.serial) {
        CloseSerialChannel(app_.serial);
        OpenSerial();
      }
      break;
    case IDM_USER_MODE:
      settings.SetAdminMode(false);
      settings.WriteSettings();
      RemoveMenu();
      SetMenuForMode();
      break;
    case IDM_FULLSCREEN:
      settings.SetFullScreen(!settings.FullScreen());
      RemoveMenu();
      if (!settings.FullScreen()) SetMenuForMode();
      SendMessageW(window_, WM_VDX_ARRANGE, 0, 0);
      break;
    case IDM_EXIT:
      if (!settings.FullScreen()) {
        DestroyWindow(window_);
        destroyed = true;
      }
      break;
    default: {
      const int event = SoundEventForCommand(command);
      if (event >= 0 && afterDialog(RunDialog(IDD_SOUND_OPTIONS, event))) {
        auto& player = app_.soundPlayers[static_cast<std::size_t>(event)];
        player.reset();
        player = MakeSoundPlayer(app_, event);
        player->Play();
      }
      break;
    }
  }
  const CommandFollowUp followUp = FollowUpForCommand(command, dialogOk, destroyed);
  if (window_ == nullptr) return;
  if (followUp.navigate) SendMessageW(window_, WM_VDX_NAVIGATE, 0, 0);
  if (followUp.relayout) SendMessageW(window_, WM_VDX_RELAYOUT, 0, 0);
}

// --- SessionPort --------------------------------------------------------------------------------------

void MainWindow::Indicator(int wparam, int lparam) {
  SendMessageW(window_, WM_VDX_INDICATOR, static_cast<WPARAM>(wparam), static_cast<LPARAM>(lparam));
}

void MainWindow::DeliverRecord(RecordBytes record) {
  SendMessageW(window_, WM_VDX_SESSION_RECORD, 0, reinterpret_cast<LPARAM>(&record));
}

void MainWindow::SessionEnded(int stopFlag) {
  PostMessageW(window_, WM_VDX_SESSION_ENDED, static_cast<WPARAM>(stopFlag), 0);
}

void MainWindow::AwaitSessionThread(const std::function<bool()>& finished) {
  // Serve the session thread's sent messages (indicator, records) while it winds down.
  while (!finished()) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_SENDMESSAGE);
    MSG message{};
    PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
  }
}

// --- ScreenEffects ------------------------------------------------------------------------------------

void MainWindow::RefreshPage(Page& page) {
  HWND window = AsWindow(page.window);
  if (window == nullptr || !IsWindow(window)) return;
  InvalidateRect(window, nullptr, FALSE);
  SendMessageW(window, WM_VDX_REFRESH_PAGE, 0, 0);
}

void MainWindow::ShowPage(int page) {
  if (!app_.session) return;
  PageList& pages = app_.session->Pages();
  for (int n = 0; n < PageList::kPageCount; ++n) {
    Page* p = pages.At(n);
    if (p == nullptr || p->window == 0) continue;
    PlacePageWindow(window_, AsWindow(p->window), n == page && p->shown);
  }
}

void MainWindow::RequestFocus(Page& page, Field& field) {
  (void)page;
  HWND control = AsWindow(field.window);
  if (control != nullptr) SendMessageW(control, WM_SETCURSOR, reinterpret_cast<WPARAM>(control), kFocusRequest);
}

void MainWindow::FocusPage(Page& page) {
  HWND window = AsWindow(page.window);
  if (window != nullptr) SendMessageW(window, WM_VDX_PAGE_FOCUS, reinterpret_cast<WPARAM>(window), kFocusRequest);
}

void MainWindow::InputOn() { SendMessageW(window_, WM_VDX_INPUT_ON, 0, 0); }

void MainWindow::InputOff() { SendMessageW(window_, WM_VDX_INPUT_OFF, 0, 0); }

void MainWindow::PostHostMessage(int focusField) {
  PostMessageW(window_, WM_VDX_HOST_MESSAGE, 1, static_cast<LPARAM>(focusField & 0xFFFF));
}

void MainWindow::PostHostPrompt(int inputLength) {
  PostMessageW(window_, WM_VDX_HOST_PROMPT, 1, static_cast<LPARAM>(inputLength & 0xFFFF));
}

void MainWindow::PlaySound(int soundEvent) {
  if (soundEvent < 0 || soundEvent >= kSoundEventCount) return;
  if (const auto& player = app_.soundPlayers[static_cast<std::size_t>(soundEvent)]) player->Play();
}

void MainWindow::SerialOut(std::string_view bytes) {
  if (app_.serial) SendSerial(*app_.serial, bytes);
}

void MainWindow::Relayout() {
  std::vector<HWND> descendants;
  EnumChildWindows(
      window_,
      [](HWND child, LPARAM list) -> BOOL {
        reinterpret_cast<std::vector<HWND>*>(list)->push_back(child);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&descendants));
  for (HWND child : descendants) {
    if (IsWindow(child)) SendMessageW(child, WM_VDX_RELAYOUT, 0, 0);
  }
}

void MainWindow::KeyLabelChanged(int code) {
  if (!app_.toolbar || !app_.session) return;
  const std::u16string* label = app_.session->KeyLabel(code);
  app_.toolbar->SetKeyLabel(static_cast<unsigned>(code), label != nullptr ? std::u16string_view(*label) : u"");
}

void MainWindow::ScannerEnable(bool enable) { EnableScanner(enable); }

void MainWindow::CancelHostDialog(std::uintptr_t dialog) {
  HWND window = AsWindow(dialog);
  if (window != nullptr && IsWindow(window)) PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
}

void MainWindow::DiscardWindow(int page, std::uintptr_t window) {
  HWND pageWindow = nullptr;
  if (app_.session) {
    if (Page* p = app_.session->Pages().At(page)) pageWindow = AsWindow(p->window);
  }
  DiscardControlWindow(pageWindow, AsWindow(window));
}

void MainWindow::EnablePage(int page) {
  HWND window = PageWindow(page);
  if (window != nullptr) EnableWindow(window, TRUE);
}

void MainWindow::DisableAllPages() {
  for (int n = 0; n < PageList::kPageCount; ++n) {
    HWND window = PageWindow(n);
    if (window != nullptr) EnableWindow(window, FALSE);
  }
}

// --- SerialInputTarget --------------------------------------------------------------------------------

void MainWindow::SendSerialInput(SerialBytes piece) {
  if (app_.session) {
    app_.session->SendSerialInput(std::string_view(reinterpret_cast<const char*>(piece.data()), piece.size()));
  }
}

bool MainWindow::HasCurrentPage() const { return app_.session && app_.session->CurrentPagePtr() != nullptr; }

int MainWindow::KeyboardState() const { return app_.session ? app_.session->KeyboardState() : kKeyboardLocked; }

int MainWindow::FirstSerialInputField() {
  Page* page = app_.session ? app_.session->CurrentPagePtr() : nullptr;
  Field* field = page != nullptr ? page->Fields().FirstSerialInputField() : nullptr;
  return field != nullptr ? field->id : kNoSerialField;
}

bool MainWindow::FieldHasWindow(int field) {
  Field* record = FindCurrentField(field);
  return record != nullptr && record->window != 0;
}

int MainWindow::FieldLength(int field) {
  Field* record = FindCurrentField(field);
  return record != nullptr ? record->MaxLength() : 0;
}

void MainWindow::ClearField(int field) {
  Field* record = FindCurrentField(field);
  if (record == nullptr) return;
  record->ClearText();
  record->caret = 0;
  if (HWND control = AsWindow(record->window)) {
    SendMessageW(control, WM_VDX_CLEAR_FIELD, 0, 0);
    InvalidateRect(control, nullptr, FALSE);
  }
}

void MainWindow::FeedChar(int field, char16_t ch) {
  Field* record = FindCurrentField(field);
  if (record != nullptr && record->window != 0) {
    SendMessageW(AsWindow(record->window), WM_VDX_FEED_CHAR, static_cast<WPARAM>(ch), 1);
  }
}

}  // namespace vantor
