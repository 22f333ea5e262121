// The modal dialogs the main window runs.
#include "win/app/app_dialogs.h"

#include "win/app/app_globals.h"
#include "win/dialogs/device_options_dialogs.h"
#include "win/dialogs/dialog_ids.h"
#include "win/dialogs/display_options_dialogs.h"
#include "win/dialogs/host_options_dialog.h"

namespace vantor {

INT_PTR RunAppDialog(AppGlobals& app, const DialogRequest& request) {
  Settings& settings = *app.settings;
  switch (request.templateId) {
    case IDD_SCANNER_OPTIONS: return RunScannerOptionsDialog(app.resources, app.mainWindow, settings);
    case IDD_SCREEN_OPTIONS: return RunScreenOptionsDialog(app.resources, app.mainWindow, settings);
    case IDD_FIELD_OPTIONS: return RunFieldOptionsDialog(app.resources, app.mainWindow, settings);
    case IDD_FONT_OPTIONS: return RunFontOptionsDialog(app.resources, app.mainWindow, settings);
    case IDD_SERIAL_PORT_OPTIONS: return RunSerialPortOptionsDialog(app.resources, app.mainWindow, settings);
    case IDD_SERIAL_FEATURE_OPTIONS: return RunSerialFeatureOptionsDialog(app.resources, app.mainWindow, settings);
    case IDD_SOUND_OPTIONS:
      return RunSoundOptionsDialog(app.resources, app.mainWindow, settings, request.soundEvent,
                                   app.sounds.SoundAvailable(), app.sounds.VibratorPresent());
    case IDD_HOST_OPTIONS: return RunHostOptionsDialog(app.resources, app.mainWindow, settings, request.linkFailure);
    case IDD_LOGIN: return RunLoginDialog(app.resources, app.mainWindow, settings);
    case IDD_ABOUT: return RunAboutDialog(app.resources, app.mainWindow);
    case IDD_ADVISORY:
      return request.host.screen != nullptr ? RunAdvisoryDialog(app.resources, app.mainWindow, request.host)
                                            : kNoSuchDialog;
    case IDD_PROMPT:
      return request.host.screen != nullptr ? RunPromptDialog(app.resources, app.mainWindow, request.host)
                                            : kNoSuchDialog;
    default: return kNoSuchDialog;
  }
}

}  // namespace vantor
