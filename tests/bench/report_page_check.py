#!/usr/bin/python3
"""Opens a bench report's index.html in headless Chromium (Debian's, driven over its DevTools pipe, so no
driver library is needed) at each given width and checks what a reader would see: no console error, every
image loaded and every linked file there, the verdict cells (and a driver matrix's drivers) saying what
report.json says, nothing wider than the window, and a screenshot that is not blank. Prints ok:/FAIL: lines; exits 1 on any failure.

Usage: report_page_check.py REPORT_DIR WIDTH[:SCREENSHOT.png] ...
"""
import json
import os
import select
import shutil
import subprocess
import sys
import tempfile
import time
import urllib.parse

FLAGS = ["--headless", "--no-sandbox", "--disable-gpu", "--disable-background-networking",
         "--disable-component-update", "--disable-sync", "--no-first-run", "--hide-scrollbars",
         "--remote-debugging-pipe"]
DEADLINE_SECONDS = 60
HEIGHT = 900

# What the page shows, read in the page: its images and links, its verdict cells, its drivers, and its width.
PAGE_FACTS = """JSON.stringify({
  images: [...document.images].map(i => ({src: i.getAttribute('src'), width: i.naturalWidth})),
  overview: Object.fromEntries([...document.querySelectorAll('#scenes tr[data-scene]')].map(
    r => [r.dataset.scene, r.querySelector('td.verdict-cell').textContent])),
  headings: Object.fromEntries([...document.querySelectorAll('section.scene')].map(
    s => [s.dataset.scene, s.querySelector('h2 .verdict').textContent])),
  checks: [...document.querySelectorAll('[data-check]')].map(r => ({
    scene: r.closest('section.scene') ? r.closest('section.scene').dataset.scene : '',
    name: r.dataset.check, origin: Number(r.dataset.origin),
    verdict: r.querySelector('.verdict').textContent})),
  links: [...document.querySelectorAll('a[href]')].map(a => a.getAttribute('href')).filter(h => !h.startsWith('#')),
  drivers: [...document.querySelectorAll('#drivers tr[data-driver]')].map(r => r.dataset.driver),
  scrollWidth: document.documentElement.scrollWidth, innerWidth: window.innerWidth})"""


class Browser:
    """Chromium with its DevTools protocol on file descriptors 3 and 4 (NUL-separated JSON messages)."""

    def __init__(self):
        self.profile = tempfile.mkdtemp(prefix="tarnwick-chromium.")
        to_child, self.to_browser = os.pipe()
        self.from_browser, from_child = os.pipe()

        def plumb():
            os.dup2(to_child, 100)
            os.dup2(from_child, 101)
            os.dup2(100, 3)
            os.dup2(101, 4)

        self.process = subprocess.Popen(
            ["chromium", *FLAGS, "--user-data-dir=" + self.profile, "about:blank"], pass_fds=(3, 4),
            preexec_fn=plumb, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(to_child)
        os.close(from_child)
        self.pending = b""
        self.events = []
        self.last_id = 0
        self.deadline = time.monotonic() + DEADLINE_SECONDS

    def close(self):
        try:
            self.call("Browser.close")
            self.process.wait(timeout=10)
        except Exception:
            self.process.kill()
        shutil.rmtree(self.profile, ignore_errors=True)

    def read(self):
        while b"\0" not in self.pending:
            left = self.deadline - time.monotonic()
            if left <= 0 or not select.select([self.from_browser], [], [], left)[0]:
                raise TimeoutError("Chromium did not answer within %d s" % DEADLINE_SECONDS)
            chunk = os.read(self.from_browser, 1 << 16)
            if not chunk:
                raise EOFError("Chromium closed its DevTools pipe")
            self.pending += chunk
        message, _, self.pending = self.pending.partition(b"\0")
        return json.loads(message)

    def call(self, method, params=None, session=None):
        self.last_id += 1
        message = {"id": self.last_id, "method": method, "params": params or {}}
        if session:
            message["sessionId"] = session
        os.write(self.to_browser, json.dumps(message).encode() + b"\0")
        while True:
            reply = self.read()
            if reply.get("id") == self.last_id:
                if "error" in reply:
                    raise RuntimeError("%s: %s" % (method, reply["error"]))
                return reply.get("result", {})
            self.events.append(reply)

    def wait_for(self, method):
        while not any(e.get("method") == method for e in self.events):
            self.events.append(self.read())


def console_errors(events):
    errors = []
    for e in events:
        method, p = e.get("method"), e.get("params", {})
        if method == "Log.entryAdded" and p["entry"]["level"] == "error":
            errors.append("%s %s" % (p["entry"]["text"], p["entry"].get("url", "")))
        elif method == "Runtime.consoleAPICalled" and p["type"] in ("error", "assert"):
            errors.append(" ".join(str(a.get("value", a.get("description"))) for a in p["args"]))
        elif method == "Runtime.exceptionThrown":
            errors.append(p["exceptionDetails"].get("text", "exception"))
    return errors


def open_page(browser, page, width):
    target = browser.call("Target.createTarget", {"url": "about:blank"})["targetId"]
    session = browser.call("Target.attachToTarget", {"targetId": target, "flatten": True})["sessionId"]
    for domain in ("Page", "Runtime", "Log"):
        browser.call(domain + ".enable", session=session)
    browser.call("Emulation.setDeviceMetricsOverride",
                 {"width": width, "height": HEIGHT, "deviceScaleFactor": 1, "mobile": width < 600}, session)
    browser.events.clear()
    browser.call("Page.navigate", {"url": "file://" + os.path.abspath(page)}, session)
    browser.wait_for("Page.loadEventFired")
    return session


def verdict_differences(facts, report):
    wrong = []
    for scene in report["scenes"]:
        label, verdict = scene["label"], scene["verdict"]
        for where in ("overview", "headings"):
            if facts[where].get(label) != verdict:
                wrong.append("%s of %s shows %r, the JSON %r" % (where, label, facts[where].get(label), verdict))
    expected = [(s["label"], c["name"], c["origin"], c["verdict"]) for s in report["scenes"] for c in s["checks"]]
    expected += [("", c["name"], c["origin"], c["verdict"]) for c in report["checks"]]
    shown = [(c["scene"], c["name"], c["origin"], c["verdict"]) for c in facts["checks"]]
    if sorted(shown) != sorted(expected):
        wrong.append("check cells %s, the JSON %s" % (sorted(set(shown) - set(expected)),
                                                      sorted(set(expected) - set(shown))))
    origins = [o["name"] for o in report["origins"]]
    if report.get("mode") == "drivers" and facts["drivers"] != origins:
        wrong.append("drivers table %s, the JSON's origins %s" % (facts["drivers"], origins))
    if len(facts["overview"]) != len(report["scenes"]):
        wrong.append("%d scene rows for %d scenes" % (len(facts["overview"]), len(report["scenes"])))
    return wrong


def distinct_colours(png):
    out = subprocess.run(["identify", "-format", "%k", png], capture_output=True, text=True)
    return int(out.stdout or 0)


def check_width(browser, folder, report, width, screenshot):
    session = open_page(browser, os.path.join(folder, "index.html"), width)
    facts = json.loads(browser.call("Runtime.evaluate", {"expression": PAGE_FACTS, "returnByValue": True},
                                    session)["result"]["value"])
    shot = browser.call("Page.captureScreenshot", {"format": "png"}, session)["data"]
    with open(screenshot, "wb") as out:
        import base64
        out.write(base64.b64decode(shot))
    failures = []
    failures += ["console: " + e for e in console_errors(browser.events)]
    failures += ["image not loaded: %s" % i["src"] for i in facts["images"] if i["width"] <= 0]
    failures += ["linked file missing: %s" % h for h in facts["links"]
                 if not os.path.isfile(os.path.join(folder, urllib.parse.unquote(h)))]
    failures += verdict_differences(facts, report)
    if facts["scrollWidth"] > facts["innerWidth"]:
        failures.append("the page is %d px wide in a %d px window" % (facts["scrollWidth"], facts["innerWidth"]))
    colours = distinct_colours(screenshot)
    if colours < 16:
        failures.append("the screenshot is blank (%d colours)" % colours)
    for f in failures:
        print("FAIL: %d px: %s" % (width, f))
    if not failures:
        print("ok: %d px: %d images loaded, %d verdict cells agree with report.json, %d colours on screen" %
              (width, len(facts["images"]), len(facts["overview"]) + len(facts["checks"]), colours))
    return not failures


def main():
    folder, sizes = sys.argv[1], sys.argv[2:]
    with open(os.path.join(folder, "report.json")) as f:
        report = json.load(f)
    browser = Browser()
    try:
        good = True
        for size in sizes:
            width, _, screenshot = size.partition(":")
            shot = screenshot or os.path.join(tempfile.gettempdir(), "report-%s-%d.png" % (width, os.getpid()))
            good = check_width(browser, folder, report, int(width), shot) and good
            if not screenshot:
                os.remove(shot)
    finally:
        browser.close()
    return 0 if good else 1


if __name__ == "__main__":
    sys.exit(main())
