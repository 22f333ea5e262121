"""A small host for Vantor terminals, standard library only: goods in, one item at a time.

The terminal connects and says who it is; the host answers with a screen: an item and a quantity to
type, SAVE (F1) to book them. A missing item or a bad quantity brings a host message; a good entry a
prompt to confirm it; Y books it and shows the last booking; F3 ends the connection. docs/protocol.md
describes every byte; this file is meant to be read next to it and copied from.

    python3 tools/python/example_host.py [PORT]      (9999 by default; 0 picks a free port)
"""

import socketserver
import sys
import threading

TERMINATOR = b"\xff\xef"
ENCODING = "cp1252"  # the terminal's code page for host text unless its settings ask for UTF-8

ITEM, QUANTITY, LAST = 20, 21, 5  # field numbers
ENTER, SAVE, END = 0, 1, 3  # key codes: Enter, F1 (bound to the toolbar's SAVE), F3


def short(value):
    """A short number: one byte, value + 48 (0..207)."""
    return bytes([value + 48])


def length(value):
    """A length: a short number up to 207, else '!' and the value in base 208 as two bytes."""
    return short(value) if value <= 207 else b"!" + short(value // 208) + short(value % 208)


class Screen:
    """The commands of one screen record, in the order they are written."""

    def __init__(self):
        self.data = bytearray(b"H")

    def _add(self, *parts):
        for part in parts:
            self.data += part
        return self

    def select_page(self, page):
        return self._add(b"s", short(page))

    def erase_page(self):
        return self._add(b"E")

    def fixed(self, field, row, column, text):
        data = text.encode(ENCODING)
        return self._add(b"f", short(field), short(row), short(column), length(len(data)), data)

    def entry(self, field, row, column, width, flags=b"C", attributes=b"@"):
        return self._add(b"i", short(field), short(row), short(column), flags, attributes, length(width))

    def text(self, field, text):
        data = text.encode(ENCODING)
        return self._add(b"u", short(field), length(len(data)), data)

    def show_page(self, page):
        return self._add(b"d", short(page))

    def key_label(self, code, label):
        data = label.encode(ENCODING)
        return self._add(b"S", short(code), short(len(data)), data)

    def focus_and_unlock(self, field):
        return self._add(b"o", short(field))

    def message_at(self, field, text):
        data = text.encode(ENCODING)
        return self._add(b"a", short(field), length(len(data)), data)

    def prompt(self, answer_length, text):
        data = text.encode(ENCODING)
        return self._add(b"h", short(answer_length), length(len(data)), data)

    def wire(self):
        """The record as it goes on the wire: every 0xFF doubled, then the terminator."""
        return bytes(self.data).replace(b"\xff", b"\xff\xff") + TERMINATOR


def read_length(data, at):
    """A length at data[at:]: (value, position after it)."""
    if data[at:at + 1] == b"!":
        return (data[at + 1] - 48) * 208 + data[at + 2] - 48, at + 3
    return data[at] - 48, at + 1


def parse_fields(data):
    """The field data items ('=', number, length, text) of a key or field response: {number: text}."""
    fields, at = {}, 0
    while at < len(data) and data[at:at + 1] == b"=":
        number = data[at + 1] - 48
        size, at = read_length(data, at + 2)
        fields[number] = data[at:at + size].decode(ENCODING)
        at += size
    return fields


class Terminal(socketserver.BaseRequestHandler):
    """One connected terminal: its records in, the host's screens out."""

    def handle(self):
        self.values = {}
        self.pending = None
        buffer = b""
        while True:
            chunk = self.request.recv(4096)
            if not chunk:
                return
            buffer += chunk
            while TERMINATOR in buffer:
                record, buffer = buffer.split(TERMINATOR, 1)
                body = record.lstrip(b"0123456789")  # the terminal id in front
                if not self.answer(body):
                    return

    def send(self, screen):
        self.request.sendall(screen.wire())

    def answer(self, body):
        """Acts on one record of the terminal's; False ends the connection."""
        if body == b"I":  # connected (or asked who it is)
            self.send(self.entry_screen())
        elif body.startswith(b"RF"):  # a key, the focus field, the changed fields
            code = body[2] - 48
            self.values.update(parse_fields(body[4:]))
            if code == END:
                return False
            self.send(self.on_key(code))
        elif body.startswith(b"R?"):  # the answer to the prompt
            size, at = read_length(body, 2)
            self.send(self.on_answer(body[at:at + size].decode(ENCODING)))
        return True  # "H" (a screen arrived), "&" (goodbye) and the rest need no answer

    def entry_screen(self):
        return (Screen().select_page(0).erase_page()
                .fixed(1, 0, 0, "GOODS IN").fixed(2, 2, 0, "Item:").entry(ITEM, 2, 10, 10)
                .fixed(3, 3, 0, "Qty:").entry(QUANTITY, 3, 10, 4, flags=bytes([ord("C") | 0x20]))
                .fixed(LAST, 5, 0, " " * 24).show_page(0)
                .key_label(SAVE, "SAVE").focus_and_unlock(ITEM))

    def on_key(self, code):
        item = self.values.get(ITEM, "").strip()
        quantity = self.values.get(QUANTITY, "").strip()
        if code not in (ENTER, SAVE):
            return Screen().message_at(ITEM, "Enter or SAVE books the item")
        if not item:
            return Screen().message_at(ITEM, "Scan or type an item")
        if code == ENTER and not quantity:
            return Screen().focus_and_unlock(QUANTITY)
        if not quantity.isdigit() or int(quantity) == 0:
            return Screen().message_at(QUANTITY, "Quantity must be 1 to 9999")
        self.pending = (item, int(quantity))
        return Screen().prompt(1, "Book %d x %s? (Y/N)" % (self.pending[1], item))

    def on_answer(self, answer):
        if self.pending is None or answer.strip().upper() != "Y":
            return Screen().focus_and_unlock(QUANTITY)
        item, quantity = self.pending
        self.pending = None
        self.values = {}
        return (Screen().text(ITEM, "").text(QUANTITY, "").text(LAST, "Booked %d x %s" % (quantity, item))
                .focus_and_unlock(ITEM))


class Host(socketserver.ThreadingTCPServer):
    daemon_threads = True
    allow_reuse_address = True


def start(port=0):
    """A host on 127.0.0.1 serving on a thread of its own; shutdown() and server_close() stop it."""
    host = Host(("127.0.0.1", port), Terminal)
    threading.Thread(target=host.serve_forever, daemon=True).start()
    return host


def main():
    host = Host(("127.0.0.1", int(sys.argv[1]) if len(sys.argv) > 1 else 9999), Terminal)
    print("example host listening on 127.0.0.1:%d" % host.server_address[1], flush=True)
    try:
        host.serve_forever()
    except KeyboardInterrupt:
        pass
    host.server_close()


if __name__ == "__main__":
    main()
