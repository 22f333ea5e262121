// The Win32 serial channel: overlapped reader and writer threads on one port, stopped by one event.
#include <windows.h>

#include "devices/serial_channel_win.h"

#include <atomic>
#include <utility>
#include <vector>

#include "devices/serial_cutter.h"
#include "devices/serial_queues.h"
#include "platform/handles_win.h"

namespace vantor {

namespace {

using win::UniqueHandle;

constexpr DWORD kReadBufferSize = 2048;
constexpr DWORD kDriverInBuffer = 2048;
constexpr DWORD kDriverOutBuffer = 1024;
constexpr DWORD kQuietWaitMs = 500;
constexpr DWORD kIdlePollMs = 50;  // a read that completes at once with nothing: poll, don't spin
constexpr DWORD kCloseWaitMs = 20000;
constexpr DWORD kCancelWaitMs = 5000;

// Cancels one overlapped operation and waits for the system to let go of its buffers. False when it
// did not let go in time: the caller must then leave the buffers allocated.
bool CancelAndWait(HANDLE port, OVERLAPPED* ov) {
  CancelIoEx(port, ov);
  if (WaitForSingleObject(ov->hEvent, kCancelWaitMs) != WAIT_OBJECT_0) return false;
  DWORD ignored = 0;
  GetOverlappedResult(port, ov, &ignored, FALSE);
  return true;
}

}  // namespace

struct SerialChannel::State {
  SerialConfig config;
  bool configured = false;
  DataHandler handler;
  UniqueHandle port;
  UniqueHandle stop;    // manual reset: both threads and a pending write leave
  UniqueHandle queued;  // auto reset: a message was appended
  UniqueHandle reader;
  UniqueHandle writer;
  std::atomic<bool> open{false};
  std::atomic<bool> failed{false};
  bool stuck = false;  // Close gave up waiting for the threads
  COMMTIMEOUTS saved{};
  bool savedValid = false;
  SerialSendQueue queue;

  // A thread met an I/O error: mark the channel closed and stop both threads. The port is released by
  // Close on the user-interface thread, so no thread ever waits for itself.
  void Fail() {
    failed = true;
    open = false;
    SetEvent(stop.Get());
  }

  bool Stopping() const { return WaitForSingleObject(stop.Get(), 0) == WAIT_OBJECT_0; }

  void RunReader();
  void RunWriter();
  // False when the write could not be done or was given up because of stop.
  bool WriteOne(std::vector<std::uint8_t> data);
};

namespace {

// The overlapped operations' buffers; left allocated when a cancel does not complete.
struct ReaderIo {
  OVERLAPPED read{};
  OVERLAPPED line{};
  DWORD lineMask = 0;
  std::uint8_t buffer[kReadBufferSize];
  UniqueHandle readEvent{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
  UniqueHandle lineEvent{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
};

struct WriteIo {
  OVERLAPPED ov{};
  std::vector<std::uint8_t> data;
  UniqueHandle done{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
};

struct ThreadStart {
  std::shared_ptr<SerialChannel::State> state;
  bool reader;
};

}  // namespace

void SerialChannel::State::RunReader() {
  HANDLE const h = port.Get();
  DWORD errors = 0;
  ClearCommError(h, &errors, nullptr);
  auto io = std::make_unique<ReaderIo>();
  if (!io->readEvent || !io->lineEvent) {
    Fail();
    return;
  }
  SerialMessageCutter cutter(config.framing.startByte, config.framing.endByte);
  auto deliver = [this](const std::uint8_t* data, std::size_t length) {
    if (handler) handler(data, length);
  };
  bool readPending = false;
  bool linePending = false;
  bool lineEvents = true;  // some ports cannot report line events; reading goes on without them
  DWORD lastMask = 0xFFFFFFFFu;

  while (!Stopping()) {
    bool progressed = false;
    if (!readPending) {
      io->read = OVERLAPPED{};
      io->read.hEvent = io->readEvent.Get();
      ResetEvent(io->read.hEvent);
      DWORD got = 0;
      if (ReadFile(h, io->buffer, kReadBufferSize, &got, &io->read)) {
        if (got > 0) {
          cutter.Feed(io->buffer, got, deliver);
          progressed = true;
        }
      } else if (GetLastError() == ERROR_IO_PENDING) {
        readPending = true;
      } else {
        Fail();
        break;
      }
    }
    if (lineEvents && lastMask != kSerialEventMask) {
      if (SetCommMask(h, kSerialEventMask)) {
        lastMask = kSerialEventMask;
      } else {
        lineEvents = false;
      }
    }
    if (lineEvents && !linePending) {
      io->line = OVERLAPPED{};
      io->line.hEvent = io->lineEvent.Get();
      ResetEvent(io->line.hEvent);
      io->lineMask = 0;
      if (WaitCommEvent(h, &io->lineMask, &io->line)) {
        // A line event that had already happened: nothing to do but wait for the next one.
      } else if (GetLastError() == ERROR_IO_PENDING) {
        linePending = true;
      } else {
        lineEvents = false;
      }
    }
    if (progressed) continue;

    HANDLE waits[3];
    DWORD count = 0;
    waits[count++] = stop.Get();  // first, so a steady stream of data cannot hold a stop up
    const DWORD readSlot = readPending ? count : MAXDWORD;
    if (readPending) waits[count++] = io->read.hEvent;
    const DWORD lineSlot = linePending ? count : MAXDWORD;
    if (linePending) waits[count++] = io->line.hEvent;
    const DWORD r = WaitForMultipleObjects(count, waits, FALSE, readPending ? kQuietWaitMs : kIdlePollMs);
    if (r == WAIT_OBJECT_0) break;
    if (r == WAIT_TIMEOUT) {
      ClearCommError(h, &errors, nullptr);
      continue;
    }
    if (r == WAIT_FAILED) {
      Fail();
      break;
    }
    const DWORD slot = r - WAIT_OBJECT_0;
    if (slot == readSlot) {
      readPending = false;
      DWORD got = 0;
      if (GetOverlappedResult(h, &io->read, &got, FALSE)) {
        if (got > 0) cutter.Feed(io->buffer, got, deliver);
      } else if (GetLastError() != ERROR_OPERATION_ABORTED) {
        Fail();
        break;
      }
    } else if (slot == lineSlot) {
      linePending = false;
      DWORD ignored = 0;
      if (!GetOverlappedResult(h, &io->line, &ignored, FALSE) && GetLastError() != ERROR_OPERATION_ABORTED) {
        Fail();
        break;
      }
    }
  }

  bool released = true;
  if (readPending) released = CancelAndWait(h, &io->read) && released;
  if (linePending) {
    SetCommMask(h, 0);  // completes a pending line-event wait
    released = CancelAndWait(h, &io->line) && released;
  }
  if (!released) static_cast<void>(io.release());  // the system still holds the buffers: never free them under it
}

bool SerialChannel::State::WriteOne(std::vector<std::uint8_t> data) {
  auto io = std::make_unique<WriteIo>();
  if (!io->done) {
    Fail();
    return false;
  }
  io->data = std::move(data);
  io->ov.hEvent = io->done.Get();
  HANDLE const h = port.Get();
  DWORD written = 0;
  if (WriteFile(h, io->data.data(), static_cast<DWORD>(io->data.size()), &written, &io->ov)) return true;
  if (GetLastError() != ERROR_IO_PENDING) {
    Fail();
    return false;
  }
  HANDLE waits[2] = {io->done.Get(), stop.Get()};
  const DWORD r = WaitForMultipleObjects(2, waits, FALSE, INFINITE);
  if (r == WAIT_OBJECT_0) {
    // A short count is accepted: the write time-outs decide how long the port may take.
    if (!GetOverlappedResult(h, &io->ov, &written, FALSE) && GetLastError() != ERROR_OPERATION_ABORTED) {
      Fail();
      return false;
    }
    return true;
  }
  if (r != WAIT_OBJECT_0 + 1) Fail();
  if (!CancelAndWait(h, &io->ov)) static_cast<void>(io.release());
  return false;
}

void SerialChannel::State::RunWriter() {
  HANDLE waits[2] = {stop.Get(), queued.Get()};
  for (;;) {
    const DWORD r = WaitForMultipleObjects(2, waits, FALSE, kQuietWaitMs);
    if (r == WAIT_OBJECT_0) break;
    if (r == WAIT_FAILED) {
      Fail();
      break;
    }
    // Data queued, or a quiet half second: drain what is there, oldest first.
    bool going = true;
    while (going && !Stopping()) {
      auto message = queue.Take();
      if (!message) break;
      going = WriteOne(std::move(*message));
    }
    if (!going && Stopping()) break;
  }
}

namespace {

DWORD WINAPI ThreadMain(void* param) {
  std::unique_ptr<ThreadStart> start(static_cast<ThreadStart*>(param));
  if (start->reader) {
    start->state->RunReader();
  } else {
    start->state->RunWriter();
  }
  return 0;
}

}  // namespace

SerialChannel::SerialChannel() : state_(std::make_shared<State>()) {}

SerialChannel::~SerialChannel() {
  if (!state_->stuck) {
    Close();
  } else {
    // The threads keep the state alive; they see stop whenever they come back.
    SetEvent(state_->stop.Get());
  }
}

bool SerialChannel::SetDataHandler(DataHandler handler) {
  if (state_->configured) return false;
  state_->handler = std::move(handler);
  return true;
}

int SerialChannel::Configure(std::u16string_view portName, std::u16string_view baudText, char16_t parityChar,
                             char16_t dataBitsChar, std::u16string_view stopBitsText, bool serialIn,
                             std::uint8_t startByte, std::uint8_t endByte, bool serialOut, std::uint8_t prefixByte,
                             std::uint8_t suffixByte, const SerialTimeouts& timeouts) {
  return Configure(MakeSerialConfig(portName, baudText, parityChar, dataBitsChar, stopBitsText, serialIn, startByte,
                                    endByte, serialOut, prefixByte, suffixByte, timeouts));
}

int SerialChannel::Configure(const SerialConfig& config) {
  if (!config.framing.inOn && !config.framing.outOn) return 0;
  if (state_->configured) Close();
  state_->config = config;
  state_->configured = true;
  Open();
  return 1;
}

bool SerialChannel::Open() {
  State& s = *state_;
  if (s.stuck) return false;
  if (!s.stop) s.stop = UniqueHandle(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  if (!s.stop) return false;
  ResetEvent(s.stop.Get());
  const std::u16string path = SerialDevicePath(s.config.line.portName);
  UniqueHandle port(CreateFileW(reinterpret_cast<LPCWSTR>(path.c_str()), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr));
  if (!port) return false;
  HANDLE const h = port.Get();

  s.savedValid = GetCommTimeouts(h, &s.saved) != FALSE;
  DCB dcb{};
  dcb.DCBlength = sizeof dcb;
  if (GetCommState(h, &dcb)) {
    dcb.BaudRate = s.config.line.baudRate;
    dcb.ByteSize = s.config.line.dataBits;
    dcb.Parity = s.config.line.parity;
    dcb.StopBits = s.config.line.stopBits;
    dcb.fDtrControl = DTR_CONTROL_ENABLE;
    dcb.fRtsControl = RTS_CONTROL_ENABLE;
    dcb.fOutxCtsFlow = FALSE;
    dcb.fOutxDsrFlow = FALSE;
    dcb.fDsrSensitivity = FALSE;
    dcb.fOutX = FALSE;
    dcb.fInX = FALSE;
    dcb.fTXContinueOnXoff = TRUE;
    dcb.XonChar = 0x11;
    dcb.XoffChar = 0x13;
    dcb.XonLim = 0;
    dcb.XoffLim = 0;
    dcb.fParity = TRUE;
    dcb.EvtChar = (kSerialEventMask & EV_RXFLAG) ? 0x0A : 0;
    SetCommState(h, &dcb);  // a port that refuses the line settings still moves bytes as it is set up
  }
  COMMTIMEOUTS timeouts{};
  timeouts.ReadIntervalTimeout = s.config.timeouts.readInterval;
  timeouts.ReadTotalTimeoutMultiplier = s.config.timeouts.readTotalMultiplier;
  timeouts.ReadTotalTimeoutConstant = s.config.timeouts.readTotalConstant;
  timeouts.WriteTotalTimeoutMultiplier = s.config.timeouts.writeTotalMultiplier;
  timeouts.WriteTotalTimeoutConstant = s.config.timeouts.writeTotalConstant;
  SetCommTimeouts(h, &timeouts);
  SetupComm(h, kDriverInBuffer, kDriverOutBuffer);
  EscapeCommFunction(h, SETDTR);

  s.port = std::move(port);
  s.failed = false;
  s.open = true;
  if (s.config.framing.inOn) StartThread(true);
  if (s.config.framing.outOn) {
    if (!s.queued) s.queued = UniqueHandle(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    if (s.queued) StartThread(false);
  }
  return true;
}

bool SerialChannel::StartThread(bool reader) {
  auto* start = new ThreadStart{state_, reader};
  UniqueHandle thread(CreateThread(nullptr, 0, ThreadMain, start, 0, nullptr));
  if (!thread) {
    delete start;
    return false;
  }
  (reader ? state_->reader : state_->writer) = std::move(thread);
  return true;
}

bool SerialChannel::Send(const std::uint8_t* data, std::size_t length) {
  State& s = *state_;
  if (!s.open || !s.writer) return true;
  if (data == nullptr) length = 0;
  if (!s.queue.Put(FrameSerialOutput(std::span<const std::uint8_t>(data, length), s.config.framing.prefixByte,
                                     s.config.framing.suffixByte))) {
    return false;
  }
  SetEvent(s.queued.Get());
  return true;
}

bool SerialChannel::Close() {
  State& s = *state_;
  if (s.stuck) return false;
  const bool wasOpen = s.open.exchange(false);
  if (!s.port && !s.reader && !s.writer) return false;

  HANDLE threads[2];
  DWORD count = 0;
  if (s.reader) threads[count++] = s.reader.Get();
  if (s.writer) threads[count++] = s.writer.Get();
  if (count > 0) {
    SetEvent(s.stop.Get());
    if (WaitForMultipleObjects(count, threads, TRUE, kCloseWaitMs) != WAIT_OBJECT_0) {
      s.stuck = true;
      return false;
    }
    ResetEvent(s.stop.Get());
  }
  s.reader.Reset();
  s.writer.Reset();
  s.queue.Clear();  // messages still waiting at Close are not written
  if (s.port) {
    HANDLE const h = s.port.Get();
    EscapeCommFunction(h, CLRDTR);
    if (s.savedValid) SetCommTimeouts(h, &s.saved);
    PurgeComm(h, PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR);
    s.port.Reset();
  }
  return wasOpen;
}

bool SerialChannel::IsOpen() const { return state_->open; }

const SerialConfig& SerialChannel::Config() const { return state_->config; }

}  // namespace vantor
