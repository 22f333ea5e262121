// The modal dialogs the main window runs.
#include "app/app_dialogs_win.h"

#include "app/app_globals_win.h"
#include "app/resource_ids.h"
#include "dialogs/host_options_win.h"

namespace vantor {

INT_PTR RunAppDialog(AppGlobals& app, int templateId, int soundEvent) {
  (void)soundEvent;
  switch (templateId) {
    case IDD_HOST_OPTIONS:
      return RunHostOptionsDialog(app.resources, app.mainWindow, *app.settings);
    default:
      // About, Login, Advisory, Prompt and the other options dialogs are not part of the program yet.
      return kNoSuchDialog;
  }
}

}  // namespace vantor
