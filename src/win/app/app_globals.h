// The process-wide objects and handles of the terminal, one of each, created and destroyed on the
// main thread only.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <array>
#include <memory>
#include <string>

#include "win/app/serial_link.h"
#include "settings/settings.h"
#include "win/controls/control_classes.h"

namespace vantor {

class LockIndicator;
class AppFrame;
class MessageLoop;
class CSession;
class Toolbar;
class MainWindow;
class SoundPlayer;

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
  std::array<std::unique_ptr<SoundPlayer>, kSoundEventCount> soundPlayers;
  MessageLoop* messageLoop = nullptr;
  std::unique_ptr<AppFrame> frame;
  std::unique_ptr<CSession> session;
  std::unique_ptr<Toolbar> toolbar;
  std::unique_ptr<LockIndicator> indicator;
  SerialChannelPtr serial;
  bool soundAvailable = true;
  bool vibratorPresent = false;

  // The main window's object (its window procedure's state) and the registered classes.
  std::unique_ptr<MainWindow> window;
  ControlClassAtoms controlClasses{};
  ATOM mainClass = 0;
};

// The program's one set of globals.
AppGlobals& App();

// A sound event's player, built from the event's settings as start-up and the sound dialogs do.
std::unique_ptr<SoundPlayer> MakeSoundPlayer(const AppGlobals& app, int event);
// Builds all eight players.
void BuildSoundPlayers(AppGlobals& app);
// Stops what plays and destroys the players.
void DestroySoundPlayers(AppGlobals& app);

}  // namespace vantor
