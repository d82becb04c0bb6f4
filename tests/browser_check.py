#!/usr/bin/env python3
"""Generated month pages in headless Chromium beside the templates (exit 77, skipped, without Chromium).
--write-sample HOME YEAR MONTH only writes the sample month."""

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

SKIPPED = 77

CHROMIUM_FLAGS = ["--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run", "--disable-sync",
                  "--disable-background-networking", "--disable-component-update", "--enable-logging=stderr", "--v=0"]

# Chromium logs every console message, whatever its level, as ...:CONSOLE:<line>] or CONSOLE(<line>).
CONSOLE_LINE = re.compile(r"\bCONSOLE\b")
TD_TAG = re.compile(rb"<td\b[^>]*>", re.IGNORECASE)
ATTR = re.compile(rb'\b(id|class)\s*=\s*(?:"([^"]*)"|([^\s>]+))', re.IGNORECASE)


def cells(html):
    """id -> classes of every td with an id."""
    result = {}
    for tag in TD_TAG.findall(html):
        attrs = {name.lower(): quoted or bare for name, quoted, bare in ATTR.findall(tag)}
        if b"id" in attrs:
            result[attrs[b"id"].decode("ascii", "replace")] = attrs.get(b"class", b"").decode("ascii", "replace").split()
    return result


def import_month(cli, home, folder, month_json):
    subprocess.run([cli, "import", "--home", home, "--folder", folder, month_json], check=True, timeout=30,
                   stdout=subprocess.DEVNULL)


def write_sample(cli, sample, home, folder, year, month):
    """The sample month as the program writes it: <home>/<folder>/<YYYYMM>.html."""
    fill = {"{YEAR}": "%04d" % year, "{MONTH}": "%02d" % month}
    for back in (1, 2, 3):
        y, m = divmod(year * 12 + month - 1 - back, 12)
        fill["{BACK%d}" % back] = "%04d%02d" % (y, m + 1)
        fill["{BACK%d_TITLE}" % back] = "%04d年%02d月" % (y, m + 1)
    with open(os.path.join(sample, "month.json"), encoding="utf-8") as f:
        text = f.read()
    for key, value in fill.items():
        text = text.replace(key, value)
    os.makedirs(os.path.join(home, folder, "image"), exist_ok=True)
    shutil.copy(os.path.join(sample, "photo.svg"), os.path.join(home, folder, "image"))
    month_json = os.path.join(home, "month.json")
    with open(month_json, "w", encoding="utf-8") as f:
        f.write(text)
    import_month(cli, home, folder, month_json)
    return os.path.join(home, folder, "%04d%02d.html" % (year, month))


def load(chromium, scratch, page):
    """(serialised DOM, console lines) once the page's load event has run."""
    profile = tempfile.mkdtemp(prefix="profile", dir=scratch)
    # A session of its own, so a hung browser goes down with all its helper processes.
    proc = subprocess.Popen(
        [chromium] + CHROMIUM_FLAGS + ["--user-data-dir=" + profile, "--dump-dom", "file://" + page],
        stdout=subprocess.PIPE, stderr=subprocess.PIPE, env=dict(os.environ, HOME=profile), start_new_session=True)
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
    for option in ("--cli", "--sample"):
        parser.add_argument(option, required=True)
    parser.add_argument("--templates")
    parser.add_argument("--write-sample", nargs=3, metavar=("HOME", "YEAR", "MONTH"))
    opts = parser.parse_args()
    if opts.write_sample:
        home, year, month = opts.write_sample
        print(write_sample(opts.cli, opts.sample, home, "diary", int(year), int(month)))
        return 0

    chromium = shutil.which("chromium") or shutil.which("chromium-browser")
    if not chromium:
        print("chromium is not installed; skipping the browser check")
        return SKIPPED

    with tempfile.TemporaryDirectory(prefix="tsuzuri-browser-") as scratch:
        failures = []
        today = datetime.date.today()
        this_month = lambda d: (d.year, d.month) == (today.year, today.month)
        never = lambda d: False

        def report(label, found):
            print("%-44s %s" % (label, "FAILED" if found else "ok"))
            failures.extend("%s: %s" % (label, text) for text in found)

        def with_templates(page):
            for template in ("calender.css", "calender.js"):
                shutil.copy(os.path.join(opts.templates, template), os.path.dirname(page))
            return page

        def generate(name, year, month):
            return with_templates(write_sample(opts.cli, opts.sample, scratch, name, year, month))

        def copy_of(name, content, file_name=None):
            path = os.path.join(scratch, name, file_name or os.path.basename(current))
            os.makedirs(os.path.dirname(path))
            with open(path, "wb") as f:
                f.write(content)
            return with_templates(path)

        def check(label, page, today_marked, expect_console=False):
            # A day that ends while Chromium runs would move "today"; such a run is repeated once.
            for _ in range(2):
                before = datetime.date.today()
                dom, console = load(chromium, scratch, page)
                now = datetime.date.today()
                if before == now:
                    break
            with open(page, "rb") as f:
                source = cells(f.read())
            shown = cells(dom)
            marked = sorted(cell for cell, classes in shown.items() if "today" in classes)
            want = ["i%d" % now.day] if today_marked(now) else []
            found = []
            if marked != want:
                found.append("cells marked today %s, expected %s" % (marked, want))
            elif want and shown[want[0]] != source[want[0]] + ["today"]:
                found.append("today's cell has classes %s, expected its own %s plus today"
                             % (shown[want[0]], source[want[0]]))
            if expect_console != bool(console):
                found.append("console output:\n    " + "\n    ".join(console) if console else "no script error seen")
            report(label, found)

        current = generate("current", today.year, today.month)
        with open(current, "rb") as f:
            page = f.read()
        without_title = re.sub(rb'<td class="cltbltop".*?</td>', b"", page, count=1, flags=re.DOTALL)
        if without_title == page:
            failures.append("the generated page has no cltbltop cell to remove")

        # datemark() adds "today" to today's cell on the current month's page only; nothing reaches the console.
        check("current month", current, this_month)
        check("same month last year", generate("last-year", today.year - 1, today.month), never)
        other_month = today.month - 1 if today.month > 1 else 2
        check("other month, same year", generate("other-month", today.year, other_month), never)
        # Without the title cell the file name names the month; with neither, or no id, nothing is marked.
        check("no title cell, month in file name", copy_of("no-title", without_title), this_month)
        check("no title cell, no month in file name", copy_of("no-month", without_title, "sample.html"), never)
        check("today's cell without id", copy_of("no-cell", re.sub(rb'\bid="i%d"' % today.day, b"", page)), never)

        # A month with no Japanese text but its heading: the page must declare its encoding.
        empty = os.path.join(scratch, "empty.json")
        with open(empty, "w") as f:
            f.write('{"year": "2027", "month": "01"}')
        generate("site", today.year, today.month)
        import_month(opts.cli, scratch, "site", empty)
        dom = load(chromium, scratch, os.path.join(scratch, "site", "202701.html"))[0].decode("utf-8", "replace")
        found = []
        if not re.search(r'class="cltbltop"[^>]*>\s*2027年01月\s*<', dom) or "<title>2027年01月</title>" not in dom:
            found.append("heading or title not read as 2027年01月")
        report("empty month", found)

        # Control: a Chromium that stops reporting its console cannot make the checks pass.
        control = copy_of("control", page)
        with open(os.path.join(scratch, "control", "calender.js"), "w") as f:
            f.write("function datemark() { null.today = 1; }\n")
        check("control: throwing datemark() is seen", control, never, expect_console=True)

        if failures:
            print("\n".join(["", "FAILED:"] + failures))
            return 1
        print("all browser checks passed")
        return 0


if __name__ == "__main__":
    sys.exit(main())
