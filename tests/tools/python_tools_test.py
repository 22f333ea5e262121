"""The Python module for host developers and the example host, against the built vantor-headless.

Run by CTest with VANTOR_HEADLESS naming the program and tools/python on PYTHONPATH:
    python3 -m unittest discover -s tests/tools -p '*_test.py'
"""

import unittest

import example_host
from vantor_headless import CommandError, VantorHeadless


class ExampleHostTest(unittest.TestCase):
    def setUp(self):
        self.host = example_host.start()
        self.addCleanup(self.host.server_close)
        self.addCleanup(self.host.shutdown)
        self.terminal = VantorHeadless("127.0.0.1:%d" % self.host.server_address[1], terminal_id=7, wait_seconds=5)
        self.addCleanup(self.terminal.close)
        self.terminal.wait_connected()
        self.terminal.wait()

    def test_books_an_item_through_the_hosts_message_and_prompt(self):
        t = self.terminal
        self.assertEqual(t.screen()[0].rstrip(), "GOODS IN")
        t.key("SAVE")  # the host binds the toolbar's SAVE to F1
        t.wait()
        t.expect_message("Scan or type an item")
        t.ok()
        t.type("A100")
        t.key("Enter")
        t.wait()
        t.type("5")
        self.assertEqual([(f["id"], f["text"], f["focus"]) for f in t.fields() if f["kind"] == "entry"],
                         [(20, "A100", False), (21, "5", True)])
        t.key("Enter")
        t.wait()
        t.expect_prompt("Book 5 x A100?")
        t.answer("Y")
        t.wait()
        t.expect_field(5, "Booked 5 x A100")
        t.expect_row(5, r"^Booked 5 x A100 *$")
        t.expect_no("Scan or type")
        status = t.status()
        self.assertEqual((status["keyboard"], status["focus"], status["toolbar"]), ("ready", 20, {"SAVE": 1}))

    def test_a_refused_command_or_failed_check_raises_with_the_screen(self):
        t = self.terminal
        with self.assertRaises(CommandError) as refused:
            t.tap(20)
        self.assertEqual(refused.exception.reason, "field 20 is not a button, check box or radio button")
        with self.assertRaises(CommandError) as failed:
            t.expect_field(20, "A100")
        self.assertEqual(failed.exception.reason, 'field 20 is "", not "A100"')
        self.assertEqual(failed.exception.screen, t.screen())
        self.assertEqual(t.close(), 0)


if __name__ == "__main__":
    unittest.main()
