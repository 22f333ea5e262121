// The modal dialogs the main window runs.
#include "app/app_dialogs_win.h"

#include "app/app_globals_win.h"
#include "app/resource_ids.h"
#include "dialogs/host_dialogs_win.h"
#include "dialogs/host_options_win.h"
#include "session/csession.h"

namespace vantor {

INT_PTR RunAppDialog(AppGlobals& app, int templateId, int soundEvent) {
  (void)soundEvent;
  switch (templateId) {
    case IDD_HOST_OPTIONS:
      return RunHostOptionsDialog(app.resources, app.mainWindow, *app.settings);
    case IDD_LOGIN:
      return RunLoginDialog(app.resources, app.mainWindow, *app.settings);
    case IDD_ABOUT:
      return RunAboutDialog(app.resources, app.mainWindow);
    case IDD_ADVISORY:
      return app.session ? RunAdvisoryDialog(app.resources, app.mainWindow, *app.session) : kNoSuchDialog;
    case IDD_PROMPT:
      return app.session ? RunPromptDialog(app.resources, app.mainWindow, *app.session) : kNoSuchDialog;
    default:
      // The other options dialogs are not part of the program yet.
      return kNoSuchDialog;
  }
}

}  // namespace vantor
