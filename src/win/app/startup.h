// Start-up and end of the program: WinMain's order of creating and taking down, and InitInstance.
#pragma once

#include <winsock2.h>
#include <windows.h>

namespace vantor {

struct AppGlobals;
struct MainWindowOptions;

// The whole life of the program; returns the process exit code.
int RunVantor(HINSTANCE instance);

// First start handling (Host options before the main window when no settings file could be read;
// then administrator mode and the file written), main class registration and window creation,
// layout, show. False when the class cannot be registered or the window cannot be made.
bool InitInstance(AppGlobals& app, HINSTANCE instance, const MainWindowOptions& options);

}  // namespace vantor
