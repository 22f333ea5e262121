// The contracts between the session thread, the UI thread and whatever owns the screen state.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string_view>

namespace vantor {

using RecordBytes = std::span<const std::uint8_t>;

// How the session thread reaches the UI thread. The Win32 main window implements it with window
// messages; tests implement it with a lock. Field records and session state are touched only inside
// DeliverRecord (on the UI thread), so they are never touched by two threads at once.
class SessionPort {
 public:
  virtual ~SessionPort() = default;
  // Lock indicator request (wParam, lParam of WM_VDX_INDICATOR). Called on the session thread at its
  // start with (0, 1); returns when the UI thread has acted on it.
  virtual void Indicator(int wparam, int lparam) = 0;
  // Hands one complete record (terminator included) to the UI thread and returns when the UI thread
  // has dispatched it. Called only on the session thread.
  virtual void DeliverRecord(RecordBytes record) = 0;
  // The session thread's last act; must not wait for the UI thread (posted). stopFlag is 1 when the
  // session was ended by Stop, 0 when the connection failed or was lost.
  virtual void SessionEnded(int stopFlag) = 0;
  // Called by Stop on the UI thread: returns once finished() is true. While waiting it must keep
  // serving Indicator and DeliverRecord from the session thread (the Win32 side pumps sent messages),
  // so that Stop never deadlocks against a session thread that waits for the UI thread.
  virtual void AwaitSessionThread(const std::function<bool()>& finished) = 0;
};

// What the record dispatcher acts on: implemented by the session object, used on the UI thread.
class DispatchTarget {
 public:
  virtual ~DispatchTarget() = default;
  // Sends one record of the terminal's own ("I", "H", "&", or "" for the bare terminator) with the
  // terminal id prefix (none for the bare terminator) and the terminator.
  virtual void SendOwnRecord(std::string_view record, bool withPrefix) = 0;
  // Runs the screen command interpreter over [begin, end).
  virtual void InterpretScreen(const std::uint8_t* begin, const std::uint8_t* end) = 0;
  // The I record's screen reset (indicator removed, focus, pages and pending dialog reset, every
  // field deleted, stamp taken again, open host dialog cancelled).
  virtual void ResetScreen() = 0;
  virtual int KeyboardState() const = 0;
  // WM_VDX_INDICATOR to the main window.
  virtual void Indicator(int wparam, int lparam) = 0;
};

}  // namespace vantor
