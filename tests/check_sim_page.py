#!/usr/bin/env python3
"""Opens the simulator's pages in headless Chromium over the DevTools protocol (on a pipe, so no
port and no extra package) and prints one JSON line per page: the pictures that loaded and
failed (every thumbnail, loaded whatever lazy loading defers, and every full screen a thumbnail
links to), the phones each scene page holds, and what the console said.

usage: check_sim_page.py CHROMIUM PROFILE_DIR PAGE.html...
"""
import fcntl
import json
import os
import subprocess
import sys

# Run inside the page: every picture and every linked full screen, each loaded afresh.
PROBE = r"""
(async () => {
  function load(url) {
    return new Promise(done => {
      const picture = new Image();
      picture.onload = () => done([url, picture.naturalWidth > 0]);
      picture.onerror = () => done([url, false]);
      picture.src = url;
    });
  }
  const thumbnails = Array.from(document.images, picture => picture.src);
  const full = Array.from(document.querySelectorAll('a.frame'), link => link.href);
  const results = await Promise.all(thumbnails.concat(full).map(load));
  return {
    pictures: thumbnails.length,
    full: full.length,
    lazy: Array.from(document.images).filter(p => p.loading === 'lazy').length,
    failed: results.filter(r => !r[1]).map(r => r[0]),
    phones: Array.from(document.querySelectorAll('body > .scenes > .scene'), s => s.id),
    brokenNote: !document.getElementById('broken').hidden,
  };
})()
"""


class Browser:
    def __init__(self, chromium, profile):
        to_browser_read, self.to_browser = os.pipe()
        self.from_browser, from_browser_write = os.pipe()
        self.process = subprocess.Popen(
            [chromium, "--headless", "--no-sandbox", "--disable-gpu", "--remote-debugging-pipe",
             "--user-data-dir=" + profile, "--allow-file-access-from-files", "about:blank"],
            close_fds=False, preexec_fn=lambda: self.pipe_fds(to_browser_read, from_browser_write),
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(to_browser_read)
        os.close(from_browser_write)
        self.buffer = b""
        self.next_id = 0
        self.events = []

    @staticmethod
    def pipe_fds(commands, replies):
        # The browser reads commands on descriptor 3 and writes replies on 4; the pipes are
        # first copied above them, so that putting one in place cannot close the other.
        commands = fcntl.fcntl(commands, fcntl.F_DUPFD, 10)
        replies = fcntl.fcntl(replies, fcntl.F_DUPFD, 10)
        os.dup2(commands, 3)
        os.dup2(replies, 4)

    def send(self, method, params=None, session=None):
        self.next_id += 1
        message = {"id": self.next_id, "method": method, "params": params or {}}
        if session:
            message["sessionId"] = session
        os.write(self.to_browser, json.dumps(message).encode() + b"\0")
        while True:
            reply = self.receive()
            if reply.get("id") == self.next_id:
                if "error" in reply:
                    raise RuntimeError(method + ": " + json.dumps(reply["error"]))
                return reply.get("result", {})
            self.events.append(reply)

    def receive(self):
        while b"\0" not in self.buffer:
            chunk = os.read(self.from_browser, 1 << 16)
            if not chunk:
                raise RuntimeError("the browser closed its pipe")
            self.buffer += chunk
        message, self.buffer = self.buffer.split(b"\0", 1)
        return json.loads(message)

    def wait_for(self, method, session):
        for at, event in enumerate(self.events):
            if event.get("method") == method and event.get("sessionId") == session:
                del self.events[at]
                return event
        while True:
            event = self.receive()
            if event.get("method") == method and event.get("sessionId") == session:
                return event
            self.events.append(event)

    def close(self):
        try:
            self.send("Browser.close")
        except RuntimeError:
            pass
        self.process.wait(timeout=30)


def console_lines(events, session):
    said = []
    for event in events:
        if event.get("sessionId") != session:
            continue
        method, params = event.get("method"), event.get("params", {})
        if method == "Runtime.exceptionThrown":
            said.append("exception: " + params["exceptionDetails"].get("text", ""))
        elif method == "Runtime.consoleAPICalled" and params.get("type") in ("error", "warning",
                                                                            "assert"):
            said.append(params["type"] + ": " + " ".join(
                str(a.get("value", a.get("description", ""))) for a in params.get("args", [])))
        elif method == "Log.entryAdded" and params["entry"].get("level") in ("error", "warning"):
            said.append(params["entry"]["level"] + ": " + params["entry"].get("text", "") + " " +
                        params["entry"].get("url", ""))
    return said


def main():
    chromium, profile, pages = sys.argv[1], sys.argv[2], sys.argv[3:]
    browser = Browser(chromium, profile)
    try:
        for page in pages:
            target = browser.send("Target.createTarget", {"url": "about:blank"})["targetId"]
            session = browser.send("Target.attachToTarget",
                                   {"targetId": target, "flatten": True})["sessionId"]
            for domain in ("Page", "Runtime", "Log"):
                browser.send(domain + ".enable", session=session)
            browser.send("Page.navigate", {"url": "file://" + os.path.abspath(page)},
                         session=session)
            browser.wait_for("Page.loadEventFired", session)
            probe = browser.send("Runtime.evaluate", {"expression": PROBE, "awaitPromise": True,
                                                      "returnByValue": True}, session=session)
            result = probe["result"].get("value", {})
            result["page"] = os.path.basename(page)
            result["console"] = console_lines(browser.events, session)
            print(json.dumps(result), flush=True)
            browser.send("Target.closeTarget", {"targetId": target})
    finally:
        browser.close()


if __name__ == "__main__":
    main()
