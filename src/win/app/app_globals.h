// The process-wide objects and handles of the terminal, one of each, created and destroyed on the
// main thread only; the main window owns everything that lives as long as it does.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <memory>
#include <string>

#include "devices/sound_board.h"
#include "settings/settings.h"
#include "win/controls/control_classes.h"

namespace vantor {

class MainWindow;
class MessageLoop;

struct AppGlobals {
  AppGlobals();
  ~AppGlobals();
  AppGlobals(const AppGlobals&) = delete;
  AppGlobals& operator=(const AppGlobals&) = delete;

  HINSTANCE instance = nullptr;   // every window class
  HINSTANCE resources = nullptr;  // menus, strings, dialogs, icons, pictures (the program's own module)
  HWND mainWindow = nullptr;
  HACCEL accelerators = nullptr;
  std::wstring title;        // string 1, "Vantor": caption of the main window and of message boxes
  std::wstring windowClass;  // string 2, "VORANDEXWIN"
  std::unique_ptr<Settings> settings;
  // The eight sound events' players: sound is available, this terminal has no vibrator.
  SoundBoard sounds{true, false};
  MessageLoop* messageLoop = nullptr;

  // The main window's object (its window procedure's state) and the registered classes.
  std::unique_ptr<MainWindow> window;
  ControlClassAtoms controlClasses{};
  ATOM mainClass = 0;
};

// The program's one set of globals.
AppGlobals& App();

}  // namespace vantor
