// The process-wide objects and handles of the terminal.
#include "win/app/app_globals.h"

#include "win/app/main_window.h"

namespace vantor {

AppGlobals::AppGlobals() = default;
AppGlobals::~AppGlobals() = default;

AppGlobals& App() {
  static AppGlobals app;
  return app;
}

}  // namespace vantor
