// The screen command interpreter: walks the commands of an H record and applies them to the session.
#pragma once

#include <cstdint>

namespace vantor {

class CSession;

// Runs the commands in [begin, end) (the bytes after the record's H, terminator included) and then
// does the end-of-record processing. UI thread only. Never reads outside [begin, end).
void Interpret(CSession& session, const std::uint8_t* begin, const std::uint8_t* end);

}  // namespace vantor
