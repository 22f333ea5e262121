// The screen command interpreter: walks the commands of an H record and applies them to a screen.
#pragma once

#include <cstdint>
#include <string_view>

#include "interpreter/command_args.h"
#include "interpreter/screen.h"
#include "interpreter/screen_view.h"
#include "model/function_keys.h"

namespace vantor {

class Settings;

// What the commands ask of the terminal around the screen: records to the host.
class HostReplies {
 public:
  virtual ~HostReplies() = default;
  // "R!": the screen size and the session stamp.
  virtual void SendStatus() = 0;
  // "RF": the key, the focus field and the modified fields; the keyboard locks first.
  virtual void SendKey(FunctionKey key) = 0;
};

// What one run acts on. The settings give the host text's code page and take the font step.
struct ScreenContext {
  Screen& screen;
  Settings& settings;
  ScreenView& view;
  HostReplies& replies;
  ArgObserver* observer = nullptr;  // told of every command and argument read; none for the terminal
};

// Runs the commands in [begin, end) (the bytes after the record's H, terminator included) and then
// does the end-of-record processing. Never reads outside [begin, end).
void Interpret(const ScreenContext& context, const std::uint8_t* begin, const std::uint8_t* end);

// A command letter's name and the names of the reads its handler makes, in their order, separated by
// blanks ("len" is the length of the payload read next). Tools show records with it as the interpreter
// reads them.
struct CommandDescription {
  std::string_view name;
  std::string_view arguments;
};
// Null for a byte that has no handler.
const CommandDescription* DescribeCommand(std::uint8_t letter);

}  // namespace vantor
