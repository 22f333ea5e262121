// The entry point of Vantor.exe.
#include <winsock2.h>
#include <windows.h>

#include "app/startup_win.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) { return vantor::RunVantor(instance); }
