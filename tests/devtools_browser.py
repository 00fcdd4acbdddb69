"""A headless Chromium driven over the DevTools protocol on a pipe (no port, no extra package),
and what a page's console said, for the tests of the simulator's pages."""
import fcntl
import json
import os
import subprocess


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
