#!/usr/bin/env python3
"""Opens generated month pages in headless Chromium with the templates beside them.

  browser_check.py --cli <tsuzuri-cli> --sample <tests/data/sample> --templates <folder with the templates>
  browser_check.py --cli <tsuzuri-cli> --sample <tests/data/sample> --write-sample HOME YEAR MONTH

Checks that datemark() marks today's day cell on the current month's page (adding its class, keeping
the cell's own), marks nothing on other months or when the title cell and file name name no month,
falls back to the file name when the title cell is gone, and that no page writes anything to the
console. A month page with no Japanese text but its heading must still be read as Shift_JIS; the
index.html beside the pages must link only pages and entry anchors that exist, and feed.xml must parse
as an Atom feed. A control page whose script throws must be seen throwing, so a Chromium that stops reporting
its console cannot make the check pass. Exits 77 (skipped) when Chromium is not installed.
"""

import argparse
import datetime
import json
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ElementTree

SKIPPED = 77

CHROMIUM_FLAGS = [
    "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
    "--disable-background-networking", "--disable-component-update", "--disable-sync",
    "--enable-logging=stderr", "--v=0",
]

# Chromium logs every console message, whatever its level, as ...:CONSOLE:<line>] or CONSOLE(<line>).
CONSOLE_LINE = re.compile(r"\bCONSOLE\b")
TD_TAG = re.compile(rb"<td\b[^>]*>", re.IGNORECASE)
ATTR = re.compile(rb'\b(id|class)\s*=\s*(?:"([^"]*)"|([^\s>]+))', re.IGNORECASE)


def find_chromium(given):
    return shutil.which(given) if given else shutil.which("chromium") or shutil.which("chromium-browser")


def cells(html):
    """id -> list of classes, for every td carrying an id."""
    result = {}
    for tag in TD_TAG.findall(html):
        attrs = {}
        for name, quoted, bare in ATTR.findall(tag):
            attrs[name.lower()] = quoted or bare
        if b"id" in attrs:
            result[attrs[b"id"].decode("ascii", "replace")] = attrs.get(b"class", b"").decode("ascii", "replace").split()
    return result


def write_sample(cli, sample, home, folder, year, month):
    """The sample month (tests/data/sample) as the program writes it: <home>/<folder>/<YYYYMM>.html."""
    fill = {"{YEAR}": "%04d" % year, "{MONTH}": "%02d" % month}
    for back in (1, 2, 3):
        y, m = divmod(year * 12 + month - 1 - back, 12)
        fill["{BACK%d}" % back] = "%04d%02d" % (y, m + 1)
        fill["{BACK%d_TITLE}" % back] = "%04d年%02d月" % (y, m + 1)
    with open(os.path.join(sample, "month.json"), encoding="utf-8") as f:
        text = f.read()
    for key, value in fill.items():
        text = text.replace(key, value)
    json.loads(text)  # the filled sample must still be JSON
    os.makedirs(os.path.join(home, folder, "image"), exist_ok=True)
    shutil.copy(os.path.join(sample, "photo.svg"), os.path.join(home, folder, "image"))
    month_json = os.path.join(home, "month.json")
    with open(month_json, "w", encoding="utf-8") as f:
        f.write(text)
    subprocess.run([cli, "import", "--home", home, "--folder", folder, month_json], check=True, timeout=30,
                   stdout=subprocess.DEVNULL)
    return os.path.join(home, folder, "%04d%02d.html" % (year, month))


def check_site(folder, entries):
    """What is wrong with the folder's index.html and feed.xml, as a list of texts."""
    found = []
    with open(os.path.join(folder, "index.html"), "rb") as f:
        links = re.findall(r'href="(\d{6}\.html)(?:#(name\d+))?"', f.read().decode("cp932"))
    for page, anchor in links:
        path = os.path.join(folder, page)
        html = open(path, "rb").read() if os.path.isfile(path) else None
        if html is None or (anchor and b"<a name=%s></a>" % anchor.encode() not in html):
            found.append("index.html links %s#%s, which does not exist" % (page, anchor))
    atom = "{http://www.w3.org/2005/Atom}"
    try:
        feed = ElementTree.parse(os.path.join(folder, "feed.xml")).getroot()
    except ElementTree.ParseError as e:
        return found + ["feed.xml is not XML: %s" % e]
    items = [e for e in feed.findall(atom + "entry")
             if all(e.find(atom + n) is not None for n in ("id", "title", "updated", "link", "content"))]
    if feed.tag != atom + "feed" or len(items) != entries or sum(1 for _, a in links if a) != entries:
        found.append("index.html and feed.xml do not both hold the %d entries" % entries)
    return found


class Browser:
    def __init__(self, binary, scratch):
        self.binary = binary
        self.scratch = scratch
        self.runs = 0

    def open(self, page):
        """Loads the page until its load event has run; returns (serialised DOM, console lines)."""
        self.runs += 1
        profile = os.path.join(self.scratch, "profile%d" % self.runs)
        os.mkdir(profile)
        env = dict(os.environ, HOME=profile)
        # A session of its own, so a hung browser goes down with all its helper processes.
        proc = subprocess.Popen(
            [self.binary] + CHROMIUM_FLAGS + ["--user-data-dir=" + profile, "--dump-dom", "file://" + page],
            stdout=subprocess.PIPE, stderr=subprocess.PIPE, env=env, start_new_session=True)
        try:
            dom, err = proc.communicate(timeout=30)
        except subprocess.TimeoutExpired:
            os.killpg(proc.pid, signal.SIGKILL)
            proc.communicate()
            raise RuntimeError("chromium did not finish loading %s within 30 s" % page)
        log = err.decode("utf-8", "replace").splitlines()
        if proc.returncode != 0 or not dom.strip():
            raise RuntimeError("chromium failed on %s (exit %d):\n%s" % (page, proc.returncode, "\n".join(log[-20:])))
        return dom, [line for line in log if CONSOLE_LINE.search(line)]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--cli", required=True)
    parser.add_argument("--sample", required=True)
    parser.add_argument("--templates")
    parser.add_argument("--chromium")
    parser.add_argument("--write-sample", nargs=3, metavar=("HOME", "YEAR", "MONTH"))
    opts = parser.parse_args()
    if opts.write_sample:
        home, year, month = opts.write_sample
        print(write_sample(opts.cli, opts.sample, home, "diary", int(year), int(month)))
        return 0

    chromium = find_chromium(opts.chromium)
    if not chromium:
        print("chromium is not installed; skipping the browser check")
        return SKIPPED

    with tempfile.TemporaryDirectory(prefix="tsuzuri-browser-") as scratch:
        browser = Browser(chromium, scratch)
        failures = []

        def folder(name, page=None, file_name=None, content=None):
            """A folder with the templates; with a page written into it as file_name, that page's path."""
            path = os.path.join(scratch, name)
            os.makedirs(path, exist_ok=True)
            for template in ("calender.css", "calender.js"):
                shutil.copy(os.path.join(opts.templates, template), path)
            if content is None:
                return path
            with open(os.path.join(path, file_name or os.path.basename(page)), "wb") as f:
                f.write(content)
            return os.path.join(path, file_name or os.path.basename(page))

        def generate(year, month, name):
            page = write_sample(opts.cli, opts.sample, scratch, name, year, month)
            folder(name)
            return page

        def check(label, page, today_marked, expect_console=False):
            # A day that ends while Chromium runs would move "today"; such a run is repeated once.
            for _ in range(2):
                before = datetime.date.today()
                dom, console = browser.open(page)
                today = datetime.date.today()
                if before == today:
                    break
            with open(page, "rb") as f:
                source = cells(f.read())
            shown = cells(dom)
            marked = sorted(cell for cell, classes in shown.items() if "today" in classes)
            want = ["i%d" % today.day] if today_marked(today) else []
            found = []
            if marked != want:
                found.append("cells marked today %s, expected %s" % (marked, want))
            elif want and shown[want[0]] != source[want[0]] + ["today"]:
                found.append("today's cell has classes %s, expected its own %s plus today"
                             % (shown[want[0]], source[want[0]]))
            if expect_console and not console:
                found.append("a script error did not reach the console; the check cannot see errors")
            if not expect_console and console:
                found.append("console output:\n    " + "\n    ".join(console))
            print("%-44s %s" % (label, "FAILED" if found else "ok"))
            failures.extend("%s: %s" % (label, text) for text in found)

        today = datetime.date.today()
        other_month = today.month - 1 if today.month > 1 else 2
        current = generate(today.year, today.month, "current")
        last_year = generate(today.year - 1, today.month, "last-year")
        other = generate(today.year, other_month, "other-month")
        with open(current, "rb") as f:
            page = f.read()

        without_title = re.sub(rb'<td class="cltbltop".*?</td>', b"", page, count=1, flags=re.DOTALL)
        if without_title == page:
            failures.append("the generated page has no cltbltop cell to remove")

        check("current month", current, lambda d: (d.year, d.month) == (today.year, today.month))
        check("same month last year", last_year, lambda d: False)
        check("other month, same year", other, lambda d: False)

        # No title cell: the file name still names the month ...
        path = folder("no-title", current, content=without_title)
        check("no title cell, month in file name", path, lambda d: (d.year, d.month) == (today.year, today.month))
        # ... and when neither does, nothing is marked and nothing fails.
        path = folder("no-month", current, "sample.html", without_title)
        check("no title cell, no month in file name", path, lambda d: False)
        # Today's cell missing (a hand-edited page): nothing to mark, no error.
        path = folder("no-cell", current, content=re.sub(rb'\bid="i%d"' % today.day, b"", page))
        check("today's cell without id", path, lambda d: False)

        # A month with no Japanese text but its heading gives the browser nothing to guess the encoding
        # from: the page must declare it. Its index and feed are checked beside the sample month.
        empty = os.path.join(scratch, "empty.json")
        with open(empty, "w") as f:
            f.write('{"year": "2027", "month": "01"}')
        generate(today.year, today.month, "site")
        subprocess.run([opts.cli, "import", "--home", scratch, "--folder", "site", empty], check=True, timeout=30,
                       stdout=subprocess.DEVNULL)
        dom = browser.open(os.path.join(scratch, "site", "202701.html"))[0].decode("utf-8", "replace")
        found = check_site(os.path.join(scratch, "site"), 3)
        if not re.search(r'class="cltbltop"[^>]*>\s*2027年01月\s*<', dom) or "<title>2027年01月</title>" not in dom:
            found.append("heading or title not read as 2027年01月")
        print("%-44s %s" % ("empty month, index and feed", "FAILED" if found else "ok"))
        failures.extend("empty month, index and feed: " + text for text in found)

        # Control: a throwing script must show on the console.
        path = folder("control", current, content=page)
        with open(os.path.join(scratch, "control", "calender.js"), "w") as f:
            f.write("function datemark() { null.today = 1; }\n")
        check("control: throwing datemark() is seen", path, lambda d: False, expect_console=True)

        if failures:
            print("\n".join(["", "FAILED:"] + failures))
            return 1
        print("all browser checks passed (%d page loads)" % browser.runs)
        return 0


if __name__ == "__main__":
    sys.exit(main())
