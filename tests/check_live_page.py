#!/usr/bin/env python3
"""The live simulator's page in headless Chromium: a server is started on the sample device, a
number typed and Call pressed (real key and mouse events); the caller's picture must appear in the
screen and the tree, a click on the picture must select its node and outline it, and the console
must stay silent. The page is captured as a PNG.

usage: check_live_page.py BIN_DIR OUT_DIR SCREENSHOT.png
"""
import base64
import json
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

from devtools_browser import Browser, console_lines

CALLER = "+1 (555) 010-0100"  # John Appleseed on the sample device, with a photo


def start_server(bin_dir, out):
    server = subprocess.Popen(
        [os.path.join(bin_dir, "talvocb"), "sim", "--serve", "--port", "0", "--out", out,
         "--profile", "ios9-iphone6"], stdout=subprocess.PIPE, text=True)
    line = server.stdout.readline().strip()
    if not line.startswith("serving http://127.0.0.1:"):
        server.kill()
        sys.exit("the server did not start: " + repr(line))
    return server, line.split(" ", 1)[1]


class Page:
    def __init__(self, browser, url):
        self.browser = browser
        target = browser.send("Target.createTarget", {"url": "about:blank"})["targetId"]
        self.session = browser.send("Target.attachToTarget",
                                    {"targetId": target, "flatten": True})["sessionId"]
        for domain in ("Page", "Runtime", "Log"):
            self.send(domain + ".enable")
        self.send("Emulation.setDeviceMetricsOverride",
                  {"width": 1400, "height": 1000, "deviceScaleFactor": 1, "mobile": False})
        self.send("Page.navigate", {"url": url})
        browser.wait_for("Page.loadEventFired", self.session)

    def send(self, method, params=None):
        return self.browser.send(method, params, session=self.session)

    def evaluate(self, expression):
        reply = self.send("Runtime.evaluate", {"expression": expression, "awaitPromise": True,
                                               "returnByValue": True})
        if "exceptionDetails" in reply:
            raise RuntimeError(expression + ": " + json.dumps(reply["exceptionDetails"]))
        return reply["result"].get("value")

    def wait_until(self, expression, what, seconds=30):
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline:
            if self.evaluate(expression):
                return
            time.sleep(0.05)
        sys.exit("timed out waiting for " + what)

    def click(self, x, y):
        for kind in ("mousePressed", "mouseReleased"):
            self.send("Input.dispatchMouseEvent",
                      {"type": kind, "x": x, "y": y, "button": "left", "clickCount": 1})

    def click_element(self, selector):
        box = self.evaluate("(() => { const r = document.querySelector(" + json.dumps(selector) +
                            ").getBoundingClientRect(); return [r.x + r.width / 2,"
                            " r.y + r.height / 2]; })()")
        self.click(*box)


# The centre, in the page, of the first view of the screen whose picture came from a source.
CENTRE_OF_PICTURE = r"""
(() => {
  const find = view => (view.image || '').startsWith(%s) ? view :
      (view.subviews || []).map(find).find(Boolean);
  const view = find(page.tree);
  const screen = document.getElementById('screen').getBoundingClientRect();
  const scale = screen.width / page.tree.frame[2];
  return [screen.x + (view.frame[0] + view.frame[2] / 2) * scale,
          screen.y + (view.frame[1] + view.frame[3] / 2) * scale];
})()
"""


def main():
    bin_dir, out, screenshot = sys.argv[1:4]
    chromium = shutil.which("chromium") or shutil.which("chromium-browser")
    if not chromium:
        sys.exit("chromium is not installed (scripts/install-deps installs it)")
    server, url = start_server(bin_dir, out)
    profile = tempfile.mkdtemp(prefix="live-page-browser-")
    browser = Browser(chromium, profile)
    try:
        page = Page(browser, url)
        page.wait_until("page.state !== null && page.tree !== null", "the first screen")
        page.click_element("#party")
        page.send("Input.insertText", {"text": CALLER})
        page.click_element("#call")
        page.wait_until("document.getElementById('tree').textContent"
                        ".includes('photo of contact 1')", "the caller's picture in the tree")
        page.wait_until("document.getElementById('screen').complete", "the new screen")
        x, y = page.evaluate(CENTRE_OF_PICTURE % json.dumps("photo of contact 1"))
        page.click(x, y)
        selected = page.evaluate("document.querySelector('#tree button.selected')?.textContent")
        outlined = page.evaluate("!document.getElementById('outline').hidden")
        contact = page.evaluate("document.getElementById('contact').value")
        capture = page.send("Page.captureScreenshot", {"format": "png"})
        with open(screenshot, "wb") as file:
            file.write(base64.b64decode(capture["data"]))
        said = console_lines(browser.events, page.session)
        failures = []
        if not selected or "photo of contact 1" not in selected:
            failures.append("the click selected " + repr(selected))
        if not outlined:
            failures.append("the selected view is not outlined")
        if contact != "1":
            failures.append("the edit form names contact " + repr(contact))
        if said:
            failures.append("the console said: " + "; ".join(said))
        if failures:
            sys.exit("\n".join(failures))
        print("ok: selected " + selected + "; the page is in " + screenshot)
    finally:
        browser.close()
        shutil.rmtree(profile, ignore_errors=True)
        server.send_signal(signal.SIGTERM)
        server.wait(timeout=30)


if __name__ == "__main__":
    main()
