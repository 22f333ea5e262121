"""vantor-gateway's web console against the built gateway, the demo host and vantor-headless: its JSON,
its metrics read with a Prometheus text parser, its token, and what Debian's chromium shows of it.

Run by CTest with VANTOR_GATEWAY, VANTOR_DEMO_HOST and VANTOR_HEADLESS naming the programs (CHROMIUM
the browser, default chromium) and tools/python on PYTHONPATH.
"""

import base64
import fcntl
import json
import os
import queue
import re
import shutil
import subprocess
import tempfile
import threading
import time
import unittest
import urllib.error
import urllib.request

from vantor_headless import VantorHeadless

WAIT = 10.0


def wait_for(probe, seconds=WAIT, what="the condition"):
    """Polls probe() until it returns something true; that value, or AssertionError after `seconds`."""
    end = time.monotonic() + seconds
    last = None
    while time.monotonic() < end:
        try:
            last = probe()
            if last:
                return last
        except (OSError, ValueError, KeyError, LookupError) as error:
            last = error
        time.sleep(0.05)
    raise AssertionError("%s not seen in %.1f s (last: %r)" % (what, seconds, last))


class Program:
    """A program whose output lines are read on a thread; stopped (terminated, else killed) by stop()."""

    def __init__(self, args):
        self.process = subprocess.Popen(args, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                                        encoding="utf-8", errors="replace")
        self.lines = queue.Queue()
        self.reader = threading.Thread(target=self._read, daemon=True)
        self.reader.start()

    def _read(self):
        for line in self.process.stdout:
            self.lines.put(line.rstrip("\n"))
        self.lines.put(None)

    def expect(self, pattern, seconds=WAIT):
        end = time.monotonic() + seconds
        while True:
            try:
                line = self.lines.get(timeout=max(0.0, end - time.monotonic()))
            except queue.Empty:
                raise AssertionError("%s did not say %r in time" % (self.process.args[0], pattern))
            if line is None:
                raise AssertionError("%s ended before saying %r" % (self.process.args[0], pattern))
            found = re.search(pattern, line)
            if found:
                return found

    def stop(self):
        if self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(5)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait(5)
        self.reader.join(5)
        self.process.stdout.close()


class Site:
    """The demo host, a gateway with its console before it, and terminals through the gateway."""

    def __init__(self, gateway_args=()):
        self.programs = []
        self.terminals = []
        try:
            self.programs.append(Program([os.environ["VANTOR_DEMO_HOST"], "0"]))
            host_port = self.programs[0].expect(r"listening on 127\.0\.0\.1:(\d+)").group(1)
            self.programs.append(Program([os.environ["VANTOR_GATEWAY"], "--listen", "127.0.0.1:0", "--host",
                                          "127.0.0.1:" + host_port, "--admin", "127.0.0.1:0"] + list(gateway_args)))
            self.port = int(self.programs[1].expect(r"listening on 127\.0\.0\.1:(\d+)").group(1))
            self.console = "http://127.0.0.1:" + self.programs[1].expect(r"console on http://127\.0\.0\.1:(\d+)/").group(1)
        except BaseException:
            self.close()
            raise

    def terminal(self, terminal_id, args=()):
        terminal = VantorHeadless("127.0.0.1:%d" % self.port, terminal_id=terminal_id, args=args, wait_seconds=WAIT)
        self.terminals.append(terminal)
        terminal.wait_connected()
        terminal.wait()
        return terminal

    def close(self):
        for terminal in self.terminals:
            terminal.close()
        for program in reversed(self.programs):
            program.stop()


def fetch(url, headers=None, data=None):
    """(status, headers, body) of a request that is not redirected."""

    class NoRedirect(urllib.request.HTTPRedirectHandler):
        def redirect_request(self, *args):
            return None

    request = urllib.request.Request(url, headers=headers or {}, data=data)
    try:
        with urllib.request.build_opener(NoRedirect).open(request, timeout=WAIT) as response:
            return response.status, response.headers, response.read().decode()
    except urllib.error.HTTPError as error:
        return error.code, error.headers, error.read().decode()


def parse_prometheus(text):
    """The samples of a Prometheus text exposition as {(name, ((label, value), ...)): value}; raises
    ValueError on a line the format does not allow, a sample of no declared family, or a histogram
    whose buckets do not add up."""
    types, samples = {}, {}
    sample = re.compile(r'^([a-zA-Z_:][a-zA-Z0-9_:]*)(?:\{(.*)\})? (\S+)$')
    label = re.compile(r'\s*([a-zA-Z_][a-zA-Z0-9_]*)="((?:[^"\\]|\\.)*)"\s*(?:,|$)')
    for line in text.splitlines():
        if not line.strip():
            continue
        if line.startswith("#"):
            parts = line.split(None, 3)
            if len(parts) >= 4 and parts[1] == "TYPE":
                if parts[3] not in ("counter", "gauge", "histogram", "summary", "untyped"):
                    raise ValueError("bad type: " + line)
                types[parts[2]] = parts[3]
            continue
        found = sample.match(line)
        if not found:
            raise ValueError("not a sample: " + line)
        name, labels_text, value = found.groups()
        labels, at = [], 0
        while labels_text and at < len(labels_text):
            pair = label.match(labels_text, at)
            if not pair:
                raise ValueError("bad labels: " + line)
            labels.append(pair.groups())
            at = pair.end()
        if name not in types and re.sub(r"_(bucket|sum|count)$", "", name) not in types:
            raise ValueError("sample of no declared family: " + line)
        samples[(name, tuple(sorted(labels)))] = float(value)
    for family, kind in types.items():
        if kind != "histogram":
            continue
        buckets = sorted((float(dict(labels)["le"]), value) for (name, labels), value in samples.items()
                         if name == family + "_bucket")
        if not buckets or buckets[-1][0] != float("inf") or buckets[-1][1] != samples[(family + "_count", ())]:
            raise ValueError(family + ": no +Inf bucket equal to the count")
        if any(later[1] < earlier[1] for earlier, later in zip(buckets, buckets[1:])):
            raise ValueError(family + ": buckets not cumulative")
    return samples


class ThreeTerminals(unittest.TestCase):
    """Three terminals: 1 signing on, 2 held (its program killed), 3 with a host message open."""

    @classmethod
    def setUpClass(cls):
        cls.site = Site()
        try:
            cls.signing_on = cls.site.terminal(1)
            cls.signing_on.type("ALICE")
            cls.signing_on.key("Enter")  # the host moves the focus to the password
            cls.signing_on.wait()
            cls.signing_on.type("pw")
            cls.signing_on.key("F4")  # reports the password; the host moves the focus back to the user id
            cls.signing_on.wait()
            cls.held = cls.site.terminal(2)
            cls.held._process.kill()
            cls.told = cls.site.terminal(3)
            cls.told.key("Enter")
            cls.told.wait()
            cls.told.expect_message("Enter your user id")
            wait_for(lambda: cls.state_of("2") == "held", what="terminal 2 held")
        except BaseException:
            cls.site.close()
            raise

    @classmethod
    def tearDownClass(cls):
        cls.site.close()

    @classmethod
    def state_of(cls, terminal_id):
        terminals = json.loads(fetch(cls.site.console + "/api/terminals")[2])["terminals"]
        return {t["id"]: t["state"] for t in terminals}.get(terminal_id)


class ConsoleTest(ThreeTerminals):
    def metrics(self):
        status, headers, body = fetch(self.site.console + "/metrics")
        self.assertEqual((status, headers["Content-Type"].split(";")[0]), (200, "text/plain"))
        return parse_prometheus(body)

    def test_the_api_lists_each_terminal_and_shows_its_screen(self):
        terminals = {t["id"]: t for t in json.loads(fetch(self.site.console + "/api/terminals")[2])["terminals"]}
        self.assertEqual([terminals[i]["state"] for i in "123"], ["attached", "held", "attached"])
        for member in ("peer", "since", "forSeconds", "connected", "screens", "lastActivity", "keyboardLocked", "tls"):
            self.assertIn(member, terminals["2"])
        self.assertRegex(terminals["2"]["peer"], r"^127\.0\.0\.1:\d+$")
        self.assertFalse(terminals["1"]["keyboardLocked"])
        self.assertEqual([terminals[i]["tls"] for i in "12"], ["none", "none"])

        one = json.loads(fetch(self.site.console + "/api/terminals/1")[2])
        entries = {f["id"]: f for f in one["screen"]["fields"] if f["kind"] == "entry"}
        self.assertEqual((entries[20]["text"], entries[20]["focus"]), ("ALICE", True))
        self.assertEqual((entries[21]["text"], entries[21]["password"]), ("**", True))
        self.assertEqual(one["screen"]["status"]["keyboard"], "ready")
        self.assertEqual((one["screen"]["lines"][4][10:15], one["screen"]["lines"][6][10:12]), ("ALICE", "**"))
        self.assertIn('field=21 text="**"', "\n".join(one["records"]))
        self.assertTrue(any(" H>T " in line for line in one["records"]), one["records"])
        three = json.loads(fetch(self.site.console + "/api/terminals/3")[2])
        self.assertEqual((three["screen"]["status"]["dialog"], three["screen"]["status"]["message"]),
                         ("message", "Enter your user id"))
        self.assertEqual(fetch(self.site.console + "/api/terminals/404")[0], 404)
        self.assertEqual(fetch(self.site.console + "/no/such/page")[0], 404)

    def test_metrics_count_what_the_terminals_did(self):
        counting = self.site.terminal(4)

        def three_attached():
            metrics = self.metrics()
            return metrics[("vantor_gateway_terminals", (("state", "attached"),))] == 3 and metrics

        before = wait_for(three_attached, what="terminal 4 attached")
        self.assertEqual(before[("vantor_gateway_terminals", (("state", "held"),))], 1)
        self.assertEqual(before[("vantor_gateway_host_connect_failures_total", ())], 0)
        self.assertEqual(before[("vantor_gateway_sessions_expired_total", ())], 0)
        # F2 clears the sign-on: one key, one host record, its acknowledgement.
        counting.key("F2")
        counting.wait()

        def counted():
            after = self.metrics()
            return [after[key] - before[key] for key in (
                ("vantor_gateway_records_total", (("direction", "to_host"),)),
                ("vantor_gateway_records_total", (("direction", "to_terminal"),)),
                ("vantor_gateway_turnaround_seconds_count", ()))] == [2, 1, 1] and after

        after = wait_for(counted, what="a key, its answer and the acknowledgement counted")
        resumed = after[("vantor_gateway_sessions_resumed_total", ())]
        counting.drop()
        counting.wait_connected()
        counting.wait()
        wait_for(lambda: self.metrics()[("vantor_gateway_sessions_resumed_total", ())] == resumed + 1,
                 what="the come-back counted")

    def test_without_the_token_nothing_is_told(self):
        handle, token_file = tempfile.mkstemp()
        os.write(handle, b"s3cret-token\n")
        os.close(handle)
        self.addCleanup(os.unlink, token_file)
        site = Site(["--admin-token-file", token_file])
        self.addCleanup(site.close)
        site.terminal(5)
        for path in ("/", "/api/terminals", "/api/terminals/5", "/metrics", "/terminal/5"):
            for headers in ({}, {"Authorization": "Bearer s3cret-tokeN"}, {"Cookie": "vantor_console=s3cret-token"}):
                status, _, body = fetch(site.console + path, headers)
                self.assertEqual(status, 401, (path, headers))
                self.assertNotIn("127.0.0.1", body)
                self.assertNotIn("vantor_gateway", body)
            status, _, body = fetch(site.console + path, {"Authorization": "Bearer s3cret-token"})
            self.assertEqual(status, 200, path)
        self.assertEqual(fetch(site.console + "/login", data=b"token=wrong")[0], 401)
        status, headers, _ = fetch(site.console + "/login", data=b"token=s3cret-token")
        self.assertEqual((status, headers["Location"]), (303, "/"))
        cookie = headers["Set-Cookie"].split(";")[0]
        status, _, body = fetch(site.console + "/api/terminals", {"Cookie": "other=1; " + cookie})
        self.assertEqual((status, json.loads(body)["terminals"][0]["id"]), (200, "5"))


class TlsTest(unittest.TestCase):
    def test_the_list_tells_a_terminals_tls_protocol_also_while_it_is_held(self):
        certs = tempfile.mkdtemp()
        self.addCleanup(shutil.rmtree, certs)
        subprocess.run([os.path.join(os.path.dirname(__file__), "..", "..", "scripts", "make-test-certs.sh"), certs],
                       check=True, capture_output=True)
        site = Site(["--tls-cert", os.path.join(certs, "host.pem"), "--tls-key", os.path.join(certs, "host.key")])
        self.addCleanup(site.close)
        site.terminal(6, ["--tls-ca", os.path.join(certs, "ca.pem")])._process.kill()

        def listed():
            terminal = json.loads(fetch(site.console + "/api/terminals")[2])["terminals"][0]
            return terminal["state"] == "held" and terminal

        self.assertEqual(wait_for(listed, what="terminal 6 held")["tls"], "TLSv1.3")


class Browser:
    """Debian's chromium, headless, driven over its DevTools pipe (file descriptors 3 and 4)."""

    def __init__(self, width=1200, height=800):
        self.profile = tempfile.mkdtemp(prefix="vantor-console-")
        to_browser, self._to_browser = os.pipe()
        self._from_browser, from_browser = os.pipe()

        def wire_pipes():
            read_end = fcntl.fcntl(to_browser, fcntl.F_DUPFD, 100)
            write_end = fcntl.fcntl(from_browser, fcntl.F_DUPFD, 100)
            os.dup2(read_end, 3)
            os.dup2(write_end, 4)

        self.process = subprocess.Popen(
            [os.environ.get("CHROMIUM", "chromium"), "--headless", "--no-sandbox", "--disable-gpu",
             "--remote-debugging-pipe", "--no-first-run", "--user-data-dir=" + self.profile,
             "--window-size=%d,%d" % (width, height), "about:blank"],
            stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
            preexec_fn=wire_pipes, pass_fds=(3, 4))
        os.close(to_browser)
        os.close(from_browser)
        self._replies = queue.Queue()
        self._reader = threading.Thread(target=self._read, daemon=True)
        self._reader.start()
        self._next = 0
        target = self.call("Target.createTarget", {"url": "about:blank"})["targetId"]
        self.session = self.call("Target.attachToTarget", {"targetId": target, "flatten": True})["sessionId"]

    def _read(self):
        pending = b""
        while True:
            chunk = os.read(self._from_browser, 65536)
            if not chunk:
                self._replies.put(None)
                return
            pending += chunk
            while b"\0" in pending:
                message, pending = pending.split(b"\0", 1)
                self._replies.put(json.loads(message))

    def call(self, method, params=None, session=None):
        self._next += 1
        message = {"id": self._next, "method": method, "params": params or {}}
        if session:
            message["sessionId"] = session
        os.write(self._to_browser, json.dumps(message).encode() + b"\0")
        end = time.monotonic() + WAIT
        while True:
            reply = self._replies.get(timeout=max(0.01, end - time.monotonic()))
            if reply is None:
                raise AssertionError("chromium ended")
            if reply.get("id") == self._next:
                if "error" in reply:
                    raise AssertionError("%s: %s" % (method, reply["error"]))
                return reply["result"]

    def open(self, url):
        self.call("Page.navigate", {"url": url}, self.session)

    def text(self, selector):
        """The text content of the elements the selector picks, one string each."""
        expression = "Array.from(document.querySelectorAll(%s)).map((e) => e.textContent)" % json.dumps(selector)
        result = self.call("Runtime.evaluate", {"expression": expression, "returnByValue": True}, self.session)
        return result["result"].get("value") or []

    def screenshot(self, path):
        data = self.call("Page.captureScreenshot", {"format": "png"}, self.session)["data"]
        with open(path, "wb") as out:
            out.write(base64.b64decode(data))

    def close(self):
        try:
            self.call("Browser.close")
        except (AssertionError, OSError, queue.Empty):
            pass
        try:
            self.process.wait(5)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait(5)
        os.close(self._to_browser)
        self._reader.join(5)
        os.close(self._from_browser)
        shutil.rmtree(self.profile, ignore_errors=True)


@unittest.skipUnless(shutil.which(os.environ.get("CHROMIUM", "chromium")), "chromium is not installed")
class BrowserTest(ThreeTerminals):
    """What a person sees in the browser."""

    def setUp(self):
        self.browser = Browser()
        self.addCleanup(self.browser.close)

    def test_the_list_the_screens_and_a_change_within_two_seconds(self):
        b = self.browser
        b.open(self.site.console + "/")
        wait_for(lambda: b.text("#terminals tr[data-id='3'] td.state"), what="the list")
        states = dict(zip(b.text("#terminals tr td:first-child"), b.text("#terminals tr td.state")))
        self.assertEqual({i: s.split(" ")[0] for i, s in states.items()}, {"1": "attached", "2": "held", "3": "attached"})

        b.open(self.site.console + "/terminal/3")
        wait_for(lambda: b.text("#dialog") == ["Host message: Enter your user id"], what="terminal 3's message")
        b.open(self.site.console + "/terminal/1")
        wait_for(lambda: b.text("#fields tr[data-field='20'] td.value") == ["ALICE"], what="terminal 1's user id")
        self.assertIn("ALICE", "\n".join(b.text("#screen .row")))
        self.assertEqual(b.text("#fields tr[data-field='21'] td.value"), ["**"])
        self.assertEqual(b.text("#screen .focus"), ["ALICE     "])
        self.signing_on.key("Enter")  # signs on: the host sends the menu
        changed = time.monotonic()
        self.signing_on.wait()
        wait_for(lambda: "MAIN MENU" in "\n".join(b.text("#screen .row")), seconds=2.0, what="the menu in the page")
        self.assertLess(time.monotonic() - changed, 2.0)


if __name__ == "__main__":
    unittest.main()
