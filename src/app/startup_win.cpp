// Start-up and end of the program.
#include "app/startup_win.h"

#include <string>

#include "app/app_dialogs_win.h"
#include "app/app_globals_win.h"
#include "app/app_support_win.h"
#include "app/main_window_win.h"
#include "app/message_loop_win.h"
#include "app/resource_ids.h"
#include "app/window_rules.h"
#include "common/net.h"
#include "config/settings.h"
#include "controls/control_classes_win.h"
#include "dialogs/host_options_win.h"

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
  CSettings& settings = *app.settings;
  if (!settings.ReadSettings()) {
    // First start: where the host is must be known before the terminal can show anything.
    if (options.runDialog) {
      options.runDialog(IDD_HOST_OPTIONS, -1);
    } else {
      RunHostOptionsDialog(app.resources, nullptr, settings);
    }
    settings.set_KorvathAdminMode(true);
    settings.WriteSettings();
  }
  const DWORD style = MainWindowStyle(settings.fullscreen());
  const WindowPos pos = settings.windowpos();
  const int show = ShowCommandForWindowState(settings.windowstate());
  app.mainClass = MainWindow::RegisterWindowClass(app);
  if (app.mainClass == 0) return false;
  app.window = std::make_unique<MainWindow>(app, options);
  HWND window = app.window->Create(style, pos.left, pos.top, UsableExtent(pos.width, 240),
                                   UsableExtent(pos.height, 320));
  if (window == nullptr) return false;
  if (app.frame) app.frame->RequestLayout();
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
  app.soundAvailable = true;
  if (!net::Startup()) {
    MessageBoxW(nullptr, L"Unable to start socket", app.title.c_str(), MB_OK);
    return 1;
  }
  std::u16string path;
  if (!SettingsPath(&path)) path = u"Vantor.ini";
  app.settings = std::make_unique<CSettings>(std::filesystem::path(std::wstring(Wide(path))));
  app.settings->ReadSettings();
  BuildSoundPlayers(app);
  app.controlClasses = RegisterControlClasses(instance);
  app.accelerators = LoadAcceleratorsW(instance, MAKEINTRESOURCEW(IDR_ACCELERATORS));
  CMessageLoop loop;
  app.messageLoop = &loop;
  int exitCode = 0;
  if (InitInstance(app, instance, MainWindowOptions{})) exitCode = loop.Run();
  app.messageLoop = nullptr;
  app.window.reset();
  DestroySoundPlayers(app);
  app.settings.reset();
  net::Cleanup();
  UnregisterControlClasses(instance, app.controlClasses);
  return exitCode;
}

}  // namespace vantor
