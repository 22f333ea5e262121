// The screen command interpreter: the walk over the command letters and the end-of-record work.
#include "screen/interpreter.h"

namespace vantor {

void Interpret(CSession& session, const std::uint8_t* begin, const std::uint8_t* end) {
  (void)session;
  (void)begin;
  (void)end;
}

}  // namespace vantor
