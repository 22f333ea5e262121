// Start-up and end of the program.
#include "win/app/startup.h"

#include <string>

#include "win/app/app_dialogs.h"
#include "win/app/app_globals.h"
#include "win/base/app_support.h"
#include "win/app/main_window.h"
#include "win/base/message_loop.h"
#include "win/base/resource_ids.h"
#include "win/dialogs/dialog_ids.h"
#include "look/window_rules.h"
#include "platform/net.h"
#include "settings/settings.h"
#include "win/controls/control_classes.h"
#include "win/dialogs/host_options_dialog.h"

namespace vantor {

namespace {

// A stored size that is not a size (zero, negative) would make a window nobody can see or reach.
int UsableExtent(int stored, int fallback) {
  if (stored == CW_USEDEFAULT) return stored;
  return stored > 0 ? stored : fallback;
}

}  // namespace

bool InitInstance(AppGlobals& app, HINSTANCE instance, const MainWindowOptions& options) {
  app.instance = instance;
  if (app.resources == nullptr) app.resources = instance;
  Settings& settings = *app.settings;
  if (!settings.ReadSettings()) {
    // First start: where the host is must be known before the terminal can show anything.
    if (options.runDialog) {
      options.runDialog(DialogRequest{IDD_HOST_OPTIONS, -1, {}});
    } else {
      RunHostOptionsDialog(app.resources, nullptr, settings);
    }
    settings.SetAdminMode(true);
    settings.WriteSettings();
  }
  const DWORD style = MainWindowStyle(settings.FullScreen());
  const WindowPos pos = settings.WindowPosition();
  const int show = ShowCommandForWindowState(settings.WindowState());
  app.mainClass = MainWindow::RegisterWindowClass(app);
  if (app.mainClass == 0) return false;
  app.window = std::make_unique<MainWindow>(app, options);
  HWND window =
      app.window->Create(style, pos.left, pos.top, UsableExtent(pos.width, 240), UsableExtent(pos.height, 320));
  if (window == nullptr) return false;
  ShowWindow(window, show);
  UpdateWindow(window);
  return true;
}

int RunVantor(HINSTANCE instance) {
  AppGlobals& app = App();
  app.instance = instance;
  app.resources = instance;
  app.title = LoadResourceString(instance, IDS_APP_TITLE);
  app.windowClass = LoadResourceString(instance, IDS_WINDOW_CLASS);
  InitAppCommonControls();
  if (!net::Startup()) {
    MessageBoxW(nullptr, L"Unable to start socket", app.title.c_str(), MB_OK);
    return 1;
  }
  std::u16string path;
  if (!SettingsPath(&path)) path = u"Vantor.ini";
  app.settings = std::make_unique<Settings>(path);
  app.settings->ReadSettings();
  app.sounds.Build(*app.settings);
  app.controlClasses = RegisterControlClasses(instance);
  app.accelerators = LoadAcceleratorsW(instance, MAKEINTRESOURCEW(IDR_ACCELERATORS));
  MessageLoop loop;
  app.messageLoop = &loop;
  int exitCode = 0;
  if (InitInstance(app, instance, MainWindowOptions{})) exitCode = loop.Run();
  app.messageLoop = nullptr;
  app.window.reset();
  app.sounds.Release(2000);
  app.settings.reset();
  net::Cleanup();
  UnregisterControlClasses(instance, app.controlClasses);
  return exitCode;
}

}  // namespace vantor
