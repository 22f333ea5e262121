"""Test a host application from Python: vantor-headless as an object, standard library only.

    from vantor_headless import VantorHeadless, CommandError

    with VantorHeadless("127.0.0.1:9999") as terminal:
        terminal.wait_connected()
        terminal.wait()
        terminal.type("A100")
        terminal.key("Enter")
        terminal.wait()
        terminal.expect_field(21, "5")
        print(terminal.status()["focus"])

Each command of vantor-headless's command language (docs/headless.md) is a method. Methods that read
return the data: screen() the rows, fields() and status() the parsed JSON. A command that answers
`error: ...` raises CommandError, whose `screen` holds the screen when a check failed. Every reply is
waited for with a time-out, and the program is stopped when the object is closed.
"""

import json
import os
import queue
import subprocess
import tempfile
import threading


class CommandError(Exception):
    """A command answered `error: <reason>`; `data` holds its data lines (the screen for a failed check)."""

    def __init__(self, command, reason, data):
        self.command, self.reason, self.data = command, reason, data
        message = "%s: %s" % (command, reason)
        if data:
            message += "\n" + "\n".join("| " + line for line in data)
        super().__init__(message)

    @property
    def screen(self):
        return self.data


class HeadlessEnded(RuntimeError):
    """vantor-headless ended, or did not answer in time; `output` holds what it wrote on standard error."""

    def __init__(self, message, output):
        self.output = output
        super().__init__(message + ("\n" + output if output else ""))


def _one_line(text):
    if "\n" in text or "\r" in text:
        raise ValueError("an argument is one line: %r" % text)
    return text


def _scan_escapes(data):
    """Scan data as the command language writes it: printable ASCII as it is, other bytes as \\xHH."""
    if isinstance(data, str):
        data = data.encode("latin-1")
    out = []
    for byte in data:
        if byte == 0x5C:
            out.append("\\\\")
        elif 0x20 <= byte <= 0x7E:
            out.append(chr(byte))
        else:
            out.append("\\x%02X" % byte)
    return "".join(out)


class VantorHeadless:
    """One terminal without a window, connected to `host` ("HOST:PORT").

    program: the vantor-headless to run (default: $VANTOR_HEADLESS, else vantor-headless on the PATH).
    terminal_id: the terminal id (1..999); settings: a settings file (default: none, every setting its
    default); args: more command-line options; wait_seconds: the default of wait(); grace: how much
    longer than its own time a command may take to answer.
    """

    def __init__(self, host, program=None, terminal_id=None, settings=None, args=(), wait_seconds=10.0, grace=10.0):
        self.wait_seconds, self.grace = wait_seconds, grace
        self._empty_settings = None
        if settings is None:
            handle, self._empty_settings = tempfile.mkstemp(suffix=".ini")
            os.close(handle)
            settings = self._empty_settings
        command = [program or os.environ.get("VANTOR_HEADLESS", "vantor-headless"), "--settings", settings]
        command += ["--host", host]
        if terminal_id is not None:
            command += ["--id", str(terminal_id)]
        command += list(args)
        self._process = subprocess.Popen(command, stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                         stderr=subprocess.PIPE, encoding="utf-8", errors="replace")
        self._lines = queue.Queue()
        self._errors = []
        self._readers = [threading.Thread(target=self._read, args=(self._process.stdout, self._lines.put), daemon=True),
                         threading.Thread(target=self._read, args=(self._process.stderr, self._errors.append), daemon=True)]
        for reader in self._readers:
            reader.start()

    @staticmethod
    def _read(stream, put):
        for line in stream:
            put(line.rstrip("\r\n"))
        put(None)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()

    # ---- the command language ----

    def command(self, line, seconds=0.0):
        """Runs one command line; its data lines, or CommandError. `seconds`: how long it may wait."""
        try:
            self._process.stdin.write(_one_line(line) + "\n")
            self._process.stdin.flush()
        except (BrokenPipeError, OSError):
            raise self._ended("vantor-headless ended before %r" % line)
        data = []
        while True:
            try:
                reply = self._lines.get(timeout=seconds + self.grace)
            except queue.Empty:
                raise self._ended("no answer to %r in %.1f s" % (line, seconds + self.grace))
            if reply is None:
                raise self._ended("vantor-headless ended while answering %r" % line)
            if reply.startswith("data: "):
                data.append(reply[len("data: "):])
            elif reply == "ok":
                return data
            elif reply.startswith("error: "):
                raise CommandError(line, reply[len("error: "):], data)
            else:
                raise self._ended("not an answer: %r" % reply)

    def wait(self, seconds=None):
        """Until the keyboard is unlocked (a host screen arrived after the last key)."""
        seconds = self.wait_seconds if seconds is None else seconds
        self.command("wait %g" % seconds, seconds)

    def wait_connected(self, seconds=None):
        seconds = self.wait_seconds if seconds is None else seconds
        self.command("wait connected %g" % seconds, seconds)

    def screen(self):
        """The page in front: one string per row."""
        return self.command("screen")

    def fields(self):
        """One dict per field of the page in front, in id order."""
        return [json.loads(line) for line in self.command("fields")]

    def status(self):
        return json.loads(self.command("status")[0])

    def expect(self, text):
        self.command("expect text " + text)

    def expect_no(self, text):
        self.command("expect no " + text)

    def expect_field(self, field, value):
        self.command("expect field %d = %s" % (field, value))

    def expect_field_matches(self, field, pattern):
        self.command("expect field %d ~ %s" % (field, pattern))

    def expect_row(self, row, pattern):
        self.command("expect row %d ~ %s" % (row, pattern))

    def expect_message(self, text=""):
        self.command("expect message " + text if text else "expect message")

    def expect_prompt(self, text=""):
        self.command("expect prompt " + text if text else "expect prompt")

    def type(self, text):
        self.command("type " + text)

    def key(self, name):
        self.command("key " + name)

    def focus(self, field):
        self.command("focus %d" % field)

    def tap(self, field):
        self.command("tap %d" % field)

    def scan(self, data):
        """One message of the serial scanner (bytes, or text of single-byte characters)."""
        self.command("scan " + _scan_escapes(data))

    def answer(self, text=""):
        self.command("answer " + text if text else "answer")

    def cancel(self):
        self.command("cancel")

    def ok(self):
        self.command("ok")

    def drop(self):
        self.command("drop")

    # ---- the program ----

    def close(self, timeout=5.0):
        """Ends vantor-headless (quit, then a kill when it does not end in time); its exit code."""
        if self._process.poll() is None:
            try:
                self._process.stdin.write("quit\n")
                self._process.stdin.flush()
            except (BrokenPipeError, OSError):
                pass
            try:
                self._process.wait(timeout)
            except subprocess.TimeoutExpired:
                self._process.kill()
                self._process.wait(timeout)
        for reader in self._readers:
            reader.join(timeout)
        for pipe in (self._process.stdin, self._process.stdout, self._process.stderr):
            try:
                pipe.close()
            except (BrokenPipeError, OSError):
                pass
        if self._empty_settings:
            os.unlink(self._empty_settings)
            self._empty_settings = None
        return self._process.returncode

    def _ended(self, message):
        self.close()
        return HeadlessEnded(message, "\n".join(line for line in self._errors if line))
