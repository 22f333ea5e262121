// The entry point of Vantor.exe.
#include <winsock2.h>
#include <windows.h>

#include "win/app/startup.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) { return vantor::RunVantor(instance); }
