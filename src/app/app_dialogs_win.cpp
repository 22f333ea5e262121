// The modal dialogs the main window runs.
#include "app/app_dialogs_win.h"

#include "app/app_globals_win.h"
#include "app/resource_ids.h"
#include "dialogs/device_options_win.h"
#include "dialogs/display_options_win.h"
#include "dialogs/host_dialogs_win.h"
#include "dialogs/host_options_win.h"
#include "session/csession.h"

namespace vantor {

INT_PTR RunAppDialog(AppGlobals& app, int templateId, int soundEvent) {
  CSettings& settings = *app.settings;
  switch (templateId) {
    case IDD_SCANNER_OPTIONS:
      return RunScannerOptionsDialog(app.resources, app.mainWindow, settings);
    case IDD_SCREEN_OPTIONS:
      return RunScreenOptionsDialog(app.resources, app.mainWindow, settings);
    case IDD_FIELD_OPTIONS:
      return RunFieldOptionsDialog(app.resources, app.mainWindow, settings);
    case IDD_FONT_OPTIONS:
      return RunFontOptionsDialog(app.resources, app.mainWindow, settings);
    case IDD_SERIAL_PORT_OPTIONS:
      return RunSerialPortOptionsDialog(app.resources, app.mainWindow, settings);
    case IDD_SERIAL_FEATURE_OPTIONS:
      return RunSerialFeatureOptionsDialog(app.resources, app.mainWindow, settings);
    case IDD_SOUND_OPTIONS:
      return RunSoundOptionsDialog(app.resources, app.mainWindow, settings, soundEvent, app.soundAvailable,
                                   app.vibratorPresent);
    case IDD_HOST_OPTIONS:
      return RunHostOptionsDialog(app.resources, app.mainWindow, settings);
    case IDD_LOGIN:
      return RunLoginDialog(app.resources, app.mainWindow, settings);
    case IDD_ABOUT:
      return RunAboutDialog(app.resources, app.mainWindow);
    case IDD_ADVISORY:
      return app.session ? RunAdvisoryDialog(app.resources, app.mainWindow, *app.session) : kNoSuchDialog;
    case IDD_PROMPT:
      return app.session ? RunPromptDialog(app.resources, app.mainWindow, *app.session) : kNoSuchDialog;
    default:
      return kNoSuchDialog;
  }
}

}  // namespace vantor
