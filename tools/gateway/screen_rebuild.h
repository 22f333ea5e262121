// The records that put a terminal's screen back as its shadow holds it: state only, never an effect.
#pragma once

#include <string>
#include <vector>

#include "shadow.h"

namespace vantor::gateway {

// As the host writes them on the connection (0xFF doubled, terminator after each), in order:
//   - a reset record alone ("I"): pages, focus and any open dialog of the terminal go, whatever it
//     kept; alone, so that a dialog it cancels has closed before the screen is built again;
//   - one screen record: every field of every page (defined with no mode, then text, options,
//     prefix and serial flags, then its real mode and attributes, so that no serial display field
//     sends its text out of the serial port), the key labels (the toolbar's bound keys last, so they
//     bind as they did), the font step once the host set one, the current and shown page, the focus,
//     then the first open host dialog, else the keyboard (unlocked with the focus-and-unlock
//     command, locked with the lock command);
//   - one screen record per further open dialog, and one that locks the keyboard again when it was
//     locked under the dialogs.
// Nothing in them asks the terminal for an answer but the acknowledgements (no status request, no
// send-fields command); no sound command, device control or serial output. What the terminal cannot
// be given without an effect: unlocking plays the Normal sound, and each dialog opened plays the
// Error sound, as any host's would.
std::vector<std::string> RebuildRecords(const Shadow& shadow);

// The prefix command's mode byte value that leaves a field with `mode` after the command's
// reductions (16, 8 and 4 taken off); the mode itself when none does.
int PrefixModeArgument(int mode);

}  // namespace vantor::gateway
