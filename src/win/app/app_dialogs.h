// The modal dialogs the main window runs from its menu and for the host: one place that knows which
// dialog each template is.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <functional>
#include <string>

#include "win/dialogs/host_dialogs.h"

namespace vantor {

struct AppGlobals;

// The result of a dialog the program does not have.
inline constexpr INT_PTR kNoSuchDialog = -1;

struct DialogRequest {
  int templateId = 0;
  int soundEvent = -1;       // the event of the Sound options dialog (186)
  HostDialogContext host{};  // the Advisory (178) and prompt (179) dialogs
  // The Host options dialog (190): why the last connection failed.
  std::function<std::u16string()> linkFailure{};
};

// Runs the dialog of a template modally, owned by the main window (none when it has no window yet).
// Returns the dialog's result (1 for OK), or kNoSuchDialog.
INT_PTR RunAppDialog(AppGlobals& app, const DialogRequest& request);

}  // namespace vantor
