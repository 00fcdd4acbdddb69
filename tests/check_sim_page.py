#!/usr/bin/env python3
"""Opens the simulator's pages in headless Chromium over the DevTools protocol (on a pipe, so no
port and no extra package) and prints one JSON line per page: the pictures that loaded and
failed (every thumbnail, loaded whatever lazy loading defers, and every full screen a thumbnail
links to), the phones each scene page holds, and what the console said.

usage: check_sim_page.py CHROMIUM PROFILE_DIR PAGE.html...
"""
import json
import os
import sys

from devtools_browser import Browser, console_lines

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
