#!/usr/bin/env python3
"""Takes the README's pictures of vantor-gateway's web console into docs/: the list of terminals and a
terminal's screen, in headless chromium, with the demo host and three terminals as the console's test
sets them up (one signing on, one held, one with a host message open). Needs build/native (./test.sh).

    scripts/console-pictures.py
"""

import os
import sys
import time

root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
build = os.path.join(root, "build", "native")
for name, program in (("VANTOR_GATEWAY", "vantor-gateway"), ("VANTOR_DEMO_HOST", "demo_host"),
                      ("VANTOR_HEADLESS", "vantor-headless")):
    os.environ.setdefault(name, os.path.join(build, program))
    if not os.access(os.environ[name], os.X_OK):
        sys.exit("build the tools first (./test.sh): no " + os.environ[name])
sys.path[:0] = [os.path.join(root, "tools", "python"), os.path.join(root, "tests", "tools")]

from gateway_console_test import Browser, ThreeTerminals, wait_for  # noqa: E402


def main():
    ThreeTerminals.setUpClass()
    browser = None
    try:
        console = ThreeTerminals.site.console
        ThreeTerminals.site.terminal(14)  # a fourth, on the sign-on screen
        browser = Browser(width=1100, height=330)
        browser.open(console + "/")
        wait_for(lambda: len(browser.text("#terminals tr")) == 4, what="the list")
        time.sleep(1.5)  # a second on the held terminal's clock
        browser.screenshot(os.path.join(root, "docs", "console-list.png"))
        browser.close()
        browser = Browser(width=1300, height=820)
        browser.open(console + "/terminal/1")
        wait_for(lambda: browser.text("#fields tr[data-field='20'] td.value") == ["ALICE"], what="terminal 1")
        browser.screenshot(os.path.join(root, "docs", "console-terminal.png"))
    finally:
        if browser:
            browser.close()
        ThreeTerminals.tearDownClass()
    print("docs/console-list.png docs/console-terminal.png")


if __name__ == "__main__":
    main()
