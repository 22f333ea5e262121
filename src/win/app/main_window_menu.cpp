// The main window's menu and accelerator commands: the options dialogs and what follows each.
#include "look/menu_ids.h"
#include "look/window_rules.h"
#include "session/terminal.h"
#include "settings/settings.h"
#include "win/app/app_globals.h"
#include "win/app/main_window.h"
#include "win/base/messages.h"
#include "win/dialogs/dialog_ids.h"
#include "win/toolbar/toolbar.h"

namespace vantor {

void MainWindow::OnCommand(int command) {
  Settings& settings = *app_.settings;
  bool dialogOk = false;
  bool destroyed = false;
  auto dialog = [&](int templateId, int soundEvent = -1) {
    const INT_PTR result = RunDialog(DialogRequest{templateId, soundEvent, {}, [this] { return LinkFailureText(); }});
    Arrange();
    dialogOk = result == IDOK;
    return dialogOk;
  };
  // The menu follows the mode, and full screen has none.
  auto menuAgain = [&] {
    RemoveMenu();
    if (!settings.FullScreen()) SetMenuForMode();
  };
  switch (command) {
    case IDM_ABOUT: dialog(IDD_ABOUT); break;
    case IDM_OPTIONS:
      if (dialog(IDD_LOGIN)) {
        menuAgain();
        Arrange();
      }
      break;
    case IDM_HOST:
      // The session ends (and connects again) once this command and its follow-ups are done.
      if (dialog(IDD_HOST_OPTIONS)) PostMessageW(window_, WM_VDX_SESSION_ENDED, 0, 0);
      break;
    case IDM_SCANNER: dialog(IDD_SCANNER_OPTIONS); break;
    case IDM_SCREEN:
      if (dialog(IDD_SCREEN_OPTIONS)) {
        menuAgain();
        toolbar_.reset();
        if (settings.ToolbarSize() >= 0) CreateToolbar();
        Arrange();
      }
      break;
    case IDM_FIELDS: dialog(IDD_FIELD_OPTIONS); break;
    case IDM_FONT: dialog(IDD_FONT_OPTIONS); break;
    case IDM_SERIAL_SETTINGS:
    case IDM_SERIAL_FEATURE:
      if (dialog(command == IDM_SERIAL_SETTINGS ? IDD_SERIAL_PORT_OPTIONS : IDD_SERIAL_FEATURE_OPTIONS) && serial_) {
        CloseSerialChannel(serial_);
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
      menuAgain();
      Arrange();
      break;
    case IDM_EXIT:
      if (!settings.FullScreen()) {
        DestroyWindow(window_);
        destroyed = true;
      }
      break;
    default: {
      const int event = SoundEventForCommand(command);
      if (event >= 0 && dialog(IDD_SOUND_OPTIONS, event)) {
        if (const SoundPlayer* player = app_.sounds.Rebuild(settings, static_cast<SoundEvent>(event))) player->Play();
      }
      break;
    }
  }
  const CommandFollowUp followUp = FollowUpForCommand(command, dialogOk, destroyed);
  if (window_ == nullptr) return;
  if (followUp.navigate && terminal_) terminal_->Navigate(Direction::Refocus);
  if (followUp.relayout) RelayoutChildren();
}

}  // namespace vantor
