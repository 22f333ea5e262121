// The Login, About, Advisory and "Hey You" prompt dialogs.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <string>

namespace vantor {

struct Screen;
class Settings;

// What a host dialog works on: the screen's message and prompt, the slot where it records its window
// while it is open (so that the terminal can cancel it), and where the prompt leaves its answer.
struct HostDialogContext {
  const Screen* screen = nullptr;
  HWND* open = nullptr;
  std::u16string* answer = nullptr;
};

// Login (181): sets the mode from the access code, tells the operator, writes the settings file and
// ends with 1; Cancel ends with 0 and changes nothing.
INT_PTR RunLoginDialog(HINSTANCE resources, HWND owner, Settings& settings);

// About (105): program name, version from the version resource of `resources`, copyright. 1 on OK.
INT_PTR RunAboutDialog(HINSTANCE resources, HWND owner);

// Advisory (178): the host's message, read-only; recorded as the open host dialog while shown.
// Ends with 1 (OK) or 2 (Cancel, also when the terminal cancels it).
INT_PTR RunAdvisoryDialog(HINSTANCE resources, HWND owner, HostDialogContext context);

// Prompt (179): the host's question and an answer of at most the prompt length; the answer goes
// into the context's answer on OK and on Cancel. Ends with 1 (OK) or 2 (Cancel).
INT_PTR RunPromptDialog(HINSTANCE resources, HWND owner, HostDialogContext context);

// The two version numbers of a module's version resource (loaded as an image or as data); false
// when it has none.
bool ReadFixedVersion(HINSTANCE module, DWORD* versionMs, DWORD* versionLs);

}  // namespace vantor
