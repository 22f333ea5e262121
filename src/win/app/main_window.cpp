// The main window: creation and the two-stage shutdown, one small handler per message, the session
// thread's port.
#include "win/app/main_window.h"

#include <vector>

#include "devices/serial_queues.h"
#include "forms/host_options.h"
#include "interpreter/focus.h"
#include "look/menu_ids.h"
#include "look/window_rules.h"
#include "model/field.h"
#include "model/page.h"
#include "session/host_connection.h"
#include "session/terminal.h"
#include "settings/settings.h"
#include "win/app/app_globals.h"
#include "win/app/main_window_view.h"
#include "win/base/app_support.h"
#include "win/base/keys.h"
#include "win/base/message_loop.h"
#include "win/base/messages.h"
#include "win/base/resource_ids.h"
#include "win/dialogs/dialog_ids.h"
#include "win/toolbar/lock_indicator.h"
#include "win/toolbar/toolbar.h"

namespace vantor {

namespace {

HWND AsWindow(WindowHandle handle) { return reinterpret_cast<HWND>(handle); }

// A field id or direction carried in a message's wParam (sign-extended).
int SignedParam(WPARAM value) { return static_cast<int>(static_cast<INT_PTR>(value)); }

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
  wc.lpszMenuName = app.instance == app.resources ? MAKEINTRESOURCEW(MenuForMode(app.settings->AdminMode())) : nullptr;
  wc.lpszClassName = app.windowClass.c_str();
  return RegisterClassExW(&wc);
}

HWND MainWindow::Create(DWORD style, int left, int top, int width, int height) {
  HWND window = CreateWindowExW(0, app_.windowClass.c_str(), app_.title.c_str(), style, left, top, width, height,
                                nullptr, nullptr, app_.instance, this);
  if (window != nullptr) Arrange();
  return window;
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
  return self->OnMessage(message, wparam, lparam);
}

HWND MainWindow::PageWindow(int page) const {
  const Page* p = terminal_ ? terminal_->GetScreen().pages.At(page) : nullptr;
  return p != nullptr ? AsWindow(p->window) : nullptr;
}

LRESULT MainWindow::OnMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_CREATE: return OnCreate();
    case WM_DESTROY: OnDestroy(); return 0;
    case WM_MOVE:
    case WM_SIZE:
      if (indicator_) indicator_->Reposition();
      break;
    case WM_WINDOWPOSCHANGED:
      // Without default processing no WM_MOVE or WM_SIZE follows, so the indicator moves here too.
      Arrange();
      if (indicator_) indicator_->Reposition();
      return 0;
    case WM_SETFOCUS: OnSetFocus(); return 0;
    case WM_CLOSE: OnClose(); return 0;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: OnKey(wparam); return 0;
    case WM_KEYUP: return 0;
    case WM_COMMAND:
      if (!IsMainWindowCommand(LOWORD(wparam))) break;
      OnCommand(LOWORD(wparam));
      return 0;
    case WM_TIMER:
      if (wparam == kReconnectTimer) {
        KillTimer(window_, kReconnectTimer);
        StartSession();
      }
      return 0;
    case WM_VDX_INDICATOR: OnIndicator(wparam, lparam); return 0;
    case WM_VDX_KEYBOARD_STATE: return terminal_ ? static_cast<LRESULT>(terminal_->GetScreen().keyboard) : 0;
    case WM_VDX_SESSION_RECORD: OnRecord(lparam); return 0;
    case WM_VDX_SESSION_ENDED: OnSessionEnded(wparam != 0); return 0;
    case WM_VDX_KEY:
      if (terminal_) terminal_->KeyPressed(SignedParam(wparam), FunctionKeyFromCode(static_cast<int>(lparam)));
      return 0;
    case WM_VDX_TOOLBARKEY:
      if (terminal_) {
        terminal_->KeyPressed(terminal_->GetScreen().focusField, FunctionKeyFromCode(static_cast<int>(wparam)));
      }
      return 0;
    case WM_VDX_NAVIGATE:
      if (terminal_) terminal_->Navigate(static_cast<Direction>(SignedParam(wparam)));
      return 0;
    case WM_VDX_FIELD_FOCUSED:
      if (terminal_) terminal_->FieldFocused(SignedParam(wparam));
      return 0;
    case WM_VDX_FIELD_CHANGED:
      if (terminal_) terminal_->FieldChanged(SignedParam(wparam));
      return 0;
    case WM_VDX_ENTER:
      if (terminal_) terminal_->EnterPressed(SignedParam(wparam));
      return 0;
    case WM_VDX_HOST_MESSAGE: OnHostMessage(lparam); return 0;
    case WM_VDX_HOST_PROMPT: OnHostPrompt(); return 0;
    case WM_VDX_SERIAL_INPUT: OnSerialInput(); return 0;
    default: break;
  }
  return DefWindowProcW(window_, message, wparam, lparam);
}

// --- Creation and destruction -------------------------------------------------------------------------

LRESULT MainWindow::OnCreate() {
  app_.mainWindow = window_;
  SetMenuForMode();
  app_.settings->ReadSettings();
  if (app_.settings->ToolbarSize() >= 0) CreateToolbar();
  frame_ = std::make_unique<AppFrame>(window_, app_.accelerators);
  if (app_.messageLoop != nullptr) app_.messageLoop->SetFilter(frame_.get());
  view_ = std::make_unique<MainWindowView>(*this, app_.sounds);
  connection_ = std::make_unique<HostConnection>(static_cast<ConnectionPort&>(*this));
  terminal_ = std::make_unique<Terminal>(*app_.settings, *view_, *connection_);
  CreatePages();
  indicator_ = std::make_unique<LockIndicator>(window_, app_.instance);
  if (options_.startSession) StartSession();
  OpenSerial();
  SetForegroundWindow(window_);
  return 0;
}

void MainWindow::CreatePages() {
  // Page 0 is in front from the start.
  const PageList& pages = terminal_->GetScreen().pages;
  for (int n = 0; n < PageList::kPageCount; ++n) {
    PageWindowState& state = pageStates_[static_cast<std::size_t>(n)];
    state = PageWindowState{pages.At(n), app_.settings.get(), window_};
    CreatePageWindow(window_, app_.instance, &state);
  }
  view_->ShowPage(0);
}

void MainWindow::DetachPages() {
  const PageList& pages = terminal_->GetScreen().pages;
  for (int n = 0; n < PageList::kPageCount; ++n) {
    if (Page* page = pages.At(n)) DetachPageWindow(AsWindow(page->window));
    pageStates_[static_cast<std::size_t>(n)] = PageWindowState{};
  }
}

void MainWindow::OnDestroy() {
  app_.sounds.Release(2000);
  if (terminal_) {
    connection_->Stop();
    DetachPages();
  }
  terminal_.reset();
  connection_.reset();
  toolbar_.reset();
  CloseSerialChannel(serial_);
  if (indicator_) {
    indicator_->Hide();
    indicator_.reset();
  }
  if (app_.messageLoop != nullptr) app_.messageLoop->ClearFilter();
  frame_.reset();
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

void MainWindow::CreateToolbar() {
  toolbar_ = std::make_unique<Toolbar>(window_, app_.instance, app_.settings->ToolbarSize());
  if (toolbar_->BarWindow() == nullptr) toolbar_.reset();
}

void MainWindow::OpenSerial() {
  // The reader thread only queues and posts: the delivery runs here on the UI thread.
  std::shared_ptr<SerialInbox> inbox = serialInbox_;
  HWND window = window_;
  serial_ = OpenSerialChannel(*app_.settings, [inbox, window](const std::uint8_t* data, std::size_t length) {
    if (inbox->Push(data, length)) PostMessageW(window, WM_VDX_SERIAL_INPUT, 0, 0);
  });
}

// --- Messages -----------------------------------------------------------------------------------------

void MainWindow::OnClose() {
  if (!app_.settings->FullScreen()) DestroyWindow(window_);
}

void MainWindow::OnSetFocus() {
  if (!terminal_) return;
  const Screen& screen = terminal_->GetScreen();
  Page* page = screen.CurrentPage();
  if (page == nullptr) return;
  const Field* field = page->Fields().Find(screen.focusField);
  HWND control = field != nullptr ? AsWindow(field->link.window) : nullptr;
  SetFocus(control == nullptr || field->Mode() == kModeDisplay ? AsWindow(page->window) : control);
}

void MainWindow::OnKey(WPARAM virtualKey) {
  const KeyAction action = FunctionKeyAction(static_cast<unsigned>(virtualKey), HeldModifiers(),
                                             app_.settings->EnterSendsKey(), KeyOrigin::MainWindow);
  if (action.kind == KeyAction::Code && terminal_) terminal_->KeyPressed(-1, FunctionKeyFromCode(action.code));
}

void MainWindow::OnRecord(LPARAM record) {
  // A record that ends locked again keeps the indicator up rather than hiding and showing it.
  LockIndicator::Hold hold(indicator_.get());
  if (terminal_ && record != 0) terminal_->ReceiveRecord(*reinterpret_cast<const RecordBytes*>(record));
}

void MainWindow::StartSession() {
  if (!terminal_ || connection_->Kept()) return;
  connection_->Start(terminal_->Restart());
}

void MainWindow::OnSessionEnded(bool stopped) {
  if (connection_) connection_->Stop();
  SetFocus(window_);
  if (!stopped) SetTimer(window_, kReconnectTimer, kReconnectDelayMs, nullptr);
}

void MainWindow::OnHostMessage(LPARAM focusAfter) {
  if (!terminal_) return;
  terminal_->HostDialogOpening();
  const bool previous = EnableScanner(false);
  RunDialog(DialogRequest{IDD_ADVISORY, -1, HostDialogContext{&terminal_->GetScreen(), &hostDialog_}});
  EnableScanner(previous);
  if (window_ == nullptr || !terminal_) return;
  Arrange();
  terminal_->HostMessageClosed(static_cast<std::int16_t>(focusAfter & 0xFFFF));
}

void MainWindow::OnHostPrompt() {
  if (!terminal_ || !terminal_->PromptExpected()) return;
  terminal_->HostDialogOpening();
  std::u16string answer;
  const INT_PTR result =
      RunDialog(DialogRequest{IDD_PROMPT, -1, HostDialogContext{&terminal_->GetScreen(), &hostDialog_, &answer}});
  if (window_ == nullptr || !terminal_) return;
  Arrange();
  terminal_->PromptClosed((result & 0xFFFF) == IDOK, answer);
}

void MainWindow::OnIndicator(WPARAM mode, LPARAM show) {
  if (!view_) return;
  if (show == 1) {
    Lock(*view_, mode == 0 ? LockMode::Connecting : LockMode::Host);
  } else {
    view_->HideLock();
  }
}

void MainWindow::OnSerialInput() {
  for (const std::vector<std::uint8_t>& message : serialInbox_->TakeAll()) {
    if (!terminal_) return;
    terminal_->SerialReceived(SerialBytes(message.data(), message.size()));
  }
}

void MainWindow::Arrange() {
  if (window_ == nullptr) return;
  RECT area{};
  GetClientRect(window_, &area);
  if (toolbar_ && toolbar_->BarWindow() != nullptr) {
    MoveWindow(toolbar_->BarWindow(), area.left, area.top, area.right - area.left, toolbar_->BarHeight(), TRUE);
    area.top += toolbar_->BarHeight();
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
    if (IsPageWindow(child)) {
      MoveWindow(child, area.left, area.top, area.right - area.left, area.bottom - area.top, TRUE);
      // Only the page in front is shown; the others stay hidden behind it.
      if (!PageWindowShown(child)) continue;
    } else if (IsPageWindow(GetParent(child)) && PageStateOf(GetParent(child)) != nullptr) {
      // A control the host defined as hidden stays hidden, and so does one on its way out.
      const Field* field = FieldOfControl(child);
      if (field == nullptr || (field->format.attributes & kAttrHidden)) continue;
    }
    ShowWindow(child, SW_SHOW);
  }
}

void MainWindow::RelayoutChildren() {
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

INT_PTR MainWindow::RunDialog(const DialogRequest& request) {
  if (options_.runDialog) return options_.runDialog(request);
  return RunAppDialog(app_, request);
}

std::u16string MainWindow::LinkFailureText() const {
  return connection_ ? vantor::LinkFailureText(connection_->LastFailure()) : std::u16string();
}

// --- ConnectionPort -----------------------------------------------------------------------------------

void MainWindow::ConnectionStarting() { SendMessageW(window_, WM_VDX_INDICATOR, 0, 1); }

void MainWindow::DeliverRecord(RecordBytes record) {
  SendMessageW(window_, WM_VDX_SESSION_RECORD, 0, reinterpret_cast<LPARAM>(&record));
}

void MainWindow::ConnectionEnded(bool stopped) { PostMessageW(window_, WM_VDX_SESSION_ENDED, stopped ? 1 : 0, 0); }

void MainWindow::AwaitSessionThread(const std::function<bool()>& finished) {
  // Serve the session thread's sent messages (records, the connecting lock) while it winds down.
  while (!finished()) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_SENDMESSAGE);
    MSG message{};
    PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
  }
}

}  // namespace vantor
