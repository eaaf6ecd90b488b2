#!/usr/bin/python3
"""The side-by-side benchmark: Orlen against the tools a user would pick
instead, in one run, on two real corpora (pages of about 100 KB, and
thousands of pages under 30 KB) and on generated large pages.

Usage: run_bench.py BUILD_DIR [--runs N] [--markdown FILE]

BUILD_DIR is a release build (bin/orlen-meta, bin/orlen, bench/...). Each
measurement is taken N times (default 5); the table shows the median and the
range. Scratch files go to BUILD_DIR/../bench.
"""

import argparse
import datetime
import os
import platform
import re
import resource
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
PEERS = os.path.join(HERE, "peers")
PYTHON = "/usr/bin/python3"  # Debian's, where python3-lxml and python3-bs4 live


class Corpus:
    """A real corpus: the HTML pages of a Debian documentation package.

    limit: only pages of fewer bytes are taken (None: every page);
    probe: a page whose title shows that the template was applied."""

    def __init__(self, package, source, folder, limit, probe):
        self.package, self.source, self.folder = package, source, folder
        self.limit, self.probe = limit, probe

    def label(self, count):
        if self.limit is None:
            return "%s (%d pages)" % (self.package, count)
        return "%s (%d pages < %d KB)" % (self.package, count, self.limit // 1000)


CORPORA = (
    # Sphinx pages of about 100 KB.
    Corpus("python3.11-doc", "/usr/share/doc/python3.11/html", "corpus", None, "index.html"),
    # gi-docgen pages, one a symbol: 9,115, of which 140 reach 30 KB or more.
    Corpus("libgtk-4-doc", "/usr/share/doc/libgtk-4-doc", "corpus-gtk4", 30000,
           "gtk4/method.Widget.show.html"),
)

# A template with a title action and three tag actions: the title gets a
# prefix, the description is always set, keywords gain a word, and robots is
# set where a page has none.
TEMPLATE = (
    '<html><head><title action="7">Docs: </title>'
    '<meta name="description" content="Python 3.11 documentation, as shipped by Debian." '
    'action="1"/>'
    '<meta name="keywords" content="python" action="6"/>'
    '<meta name="robots" content="index, follow" action="3"/>'
    "</head><body></body></html>"
)

# What orlen-meta set writes into the 100 MB page without a body tag.
DESCRIPTION = "A generated page of 100 MB whose opening body tag was taken out."

BODY_TAG = re.compile(rb"<body[\s>/]", re.IGNORECASE)


class Row:
    def __init__(self, measure, ours, peer, ratio, target, met, note=""):
        self.measure, self.ours, self.peer = measure, ours, peer
        self.ratio, self.target, self.met, self.note = ratio, target, met, note


def describe(med, low, high, unit):
    """A median with its range, as the table shows it."""
    return "%.3g %s (%.3g–%.3g)" % (med, unit, low, high)


def faster(ratio):
    """A peer's time over ours, as the table says it."""
    return "%.1f× faster" % ratio if ratio >= 1 else "%.1f× slower" % (1 / ratio)


def spread(values, unit):
    values = sorted(values)
    med = statistics.median(values)
    return med, describe(med, values[0], values[-1], unit)


def timed(argv, runs, env=None, before=None, stdout=subprocess.DEVNULL, check=True):
    """Wall-clock seconds of each run of argv; before() runs untimed first.
    Without check, status 5 (audit's "something was found") is accepted too."""
    times = []
    for _ in range(runs):
        if before:
            before()
        start = time.perf_counter()
        result = subprocess.run(argv, stdout=stdout, stderr=subprocess.PIPE, env=env)
        times.append(time.perf_counter() - start)
        if result.returncode != 0 and (check or result.returncode != 5):
            sys.exit("failed (%d): %s\n%s" % (result.returncode, " ".join(argv[:3]),
                                               result.stderr.decode(errors="replace")[-2000:]))
    return times


def peak_rss_kib(argv):
    """Peak resident memory of one run of argv, measured in a fresh child."""
    code = ("import resource, subprocess, sys\n"
            "r = subprocess.run(sys.argv[1:], stdout=subprocess.DEVNULL)\n"
            "print(r.returncode, resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss)\n")
    out = subprocess.run([sys.executable, "-c", code] + argv, capture_output=True, text=True)
    status, kib = out.stdout.split()
    if status != "0":
        sys.exit("failed: %s" % " ".join(argv))
    return int(kib)


def whole_process_rates(argv, path, runs):
    """MB/s of each run of argv over the file at path, timed from outside."""
    megabytes = os.path.getsize(path) / 1e6
    return [megabytes / seconds for seconds in timed(argv, runs)]


def html_files(root):
    found = []
    for folder, dirs, files in os.walk(root):
        dirs.sort()
        for name in sorted(files):
            if name.endswith(".html"):
                found.append(os.path.join(folder, name))
    return found


def prepare_corpus(scratch, source):
    """A copy of the corpus's pages (those under its limit) in scratch."""
    corpus = os.path.join(scratch, source.folder)
    if not os.path.isdir(corpus):
        if not os.path.isdir(source.source):
            sys.exit("%s is missing: install %s" % (source.source, source.package))
        partial = corpus + ".partial"
        shutil.rmtree(partial, ignore_errors=True)
        for path in html_files(source.source):
            if source.limit is not None and os.path.getsize(path) >= source.limit:
                continue
            target = os.path.join(partial, os.path.relpath(path, source.source))
            os.makedirs(os.path.dirname(target), exist_ok=True)
            shutil.copyfile(path, target)
        os.rename(partial, corpus)
    return corpus


def prepare_pages(build, scratch):
    pages = {}
    folder = os.path.join(scratch, "pages")
    os.makedirs(folder, exist_ok=True)
    for name, megabytes, one_line in (("1MB", 1, False), ("10MB", 10, False),
                                      ("100MB", 100, False), ("50MB-one-line", 50, True)):
        path = os.path.join(folder, "page-%s.html" % name)
        if not os.path.exists(path):
            argv = [os.path.join(build, "bench", "orlen_make_pages"), path, str(megabytes)]
            subprocess.run(argv + (["one-line"] if one_line else []), check=True)
        pages[name] = path
    # The 100 MB page without its opening body tag: nothing tells where the
    # head ends.
    path = os.path.join(folder, "page-100MB-no-body.html")
    if not os.path.exists(path):
        with open(pages["100MB"], "rb") as f:
            data = f.read()
        match = BODY_TAG.search(data)
        data = data[:match.start()] + data[data.index(b">", match.start()) + 1:]
        if BODY_TAG.search(data):
            sys.exit("the generated page has a second body tag")
        with open(path + ".partial", "wb") as f:
            f.write(data)
        os.rename(path + ".partial", path)
    pages["100MB-no-body"] = path
    return pages


def body_from_opening_tag(data):
    match = BODY_TAG.search(data)
    if match is None:
        return None
    return data[match.start():]


def altered_bodies(original_root, changed_root):
    """Pages whose text from the opening body tag on differs, byte for byte."""
    altered = []
    for path in html_files(original_root):
        with open(path, "rb") as f:
            before = body_from_opening_tag(f.read())
        with open(os.path.join(changed_root, os.path.relpath(path, original_root)), "rb") as f:
            after = body_from_opening_tag(f.read())
        if before != after:
            altered.append(path)
    return altered


def prepare_site(scratch, files, count=10000, size=15000):
    """A site of count pages of at least size bytes, 500 to a folder: the
    small corpus's pages in turn, each with body paragraphs added before its
    closing body tag until it is large enough. Made once."""
    site = os.path.join(scratch, "site-%dx%dKB" % (count, size // 1000))
    done = os.path.join(site, ".complete")
    if os.path.exists(done):
        return site
    shutil.rmtree(site, ignore_errors=True)
    filler = b"<p>" + b"Filler text of a page body, words and more words. " * 20 + b"</p>\n"
    for i in range(count):
        with open(files[i % len(files)], "rb") as f:
            data = f.read()
        while len(data) < size:
            at = data.rfind(b"</body>")
            at = len(data) if at < 0 else at
            data = data[:at] + filler + data[at:]
        folder = os.path.join(site, "%02d" % (i // 500))
        os.makedirs(folder, exist_ok=True)
        with open(os.path.join(folder, "p%05d.html" % i), "wb") as f:
            f.write(data)
    open(done, "w").close()
    return site


def site_rows(build, meta, site, runs):
    """The site overview listing the whole site in the window (offscreen),
    and orlen-meta audit of half of it."""
    rows = []
    print("site overview and audit", flush=True)
    out = subprocess.run([os.path.join(build, "bench", "orlen_site_timing"), site, str(runs)],
                         capture_output=True, text=True, env=dict(os.environ,
                                                                  QT_QPA_PLATFORM="offscreen"))
    report = dict(line.split(" ", 1) for line in out.stdout.splitlines() if " " in line)
    if out.returncode != 0 or "site-list" not in report:
        sys.exit("the site overview's timing failed:\n" + out.stdout + out.stderr[-2000:])
    med, low, high, _ = report["site-list"].split()
    pages = int(report["pages"])
    rows.append(Row("site overview: %d pages of 15 KB listed with their findings (window, "
                    "offscreen)" % pages, "%.3g ms (%.3g–%.3g)" % (float(med), float(low),
                                                                   float(high)),
                    "", "", "< 2 s", float(med) < 2000))
    half = sorted(os.path.join(site, d) for d in os.listdir(site)
                  if os.path.isdir(os.path.join(site, d)))
    half = half[:len(half) // 2]
    audit, audit_text = spread(timed([meta, "audit"] + half, runs, check=False), "s")
    rows.append(Row("audit of %d pages of 15 KB" % (500 * len(half)), audit_text, "", "",
                    "< 0.5 s", audit < 0.5))
    return rows


def corpus_rows(source, corpus, files, meta, template, scratch, runs):
    """The rows of one corpus: show against each reader, apply against the
    lxml writer, and the bodies each changed."""
    label = source.label(len(files))
    rows = []
    # Reading the corpus. A first cat puts every file in the page cache.
    subprocess.run(["cat"] + files, stdout=subprocess.DEVNULL, check=True)
    shown = subprocess.run([meta, "show", corpus], capture_output=True, check=True).stdout
    if shown.count(b"\n==> ") + shown.startswith(b"==> ") != len(files):
        sys.exit("orlen-meta show did not show every page of %s" % source.package)
    print("reading %s" % source.package, flush=True)
    ours, ours_text = spread(timed([meta, "show", corpus], runs), "s")
    readers = (("lxml", [PYTHON, os.path.join(PEERS, "lxml_read.py"), corpus]),
               ("BeautifulSoup", [PYTHON, os.path.join(PEERS, "bs4_read.py"), corpus]))
    for name, argv in readers:
        peer, peer_text = spread(timed(argv, runs), "s")
        ratio = peer / ours
        target = 5 if name == "lxml" else None
        # BeautifulSoup reads every page of both corpora: under a minute a run.
        measure = "show vs %s, %s" % (name if name == "lxml" else name + " (every page)", label)
        rows.append(Row(measure, ours_text, peer_text,
                        faster(ratio), "≥ 5× faster" if target else "",
                        (ratio >= target) if target else None))
    cat, cat_text = spread(timed(["cat"] + files, runs), "s")
    rows.append(Row("show vs cat (reading only), %s" % label, ours_text, cat_text,
                    "%.2f× cat's time" % (ours / cat), "≤ 2× cat's time", ours / cat <= 2))
    # audit reads each head as show does, then checks and compares pages.
    # Its exit status says what it found, so it is not checked here.
    audit, audit_text = spread(timed([meta, "audit", corpus], runs, check=False), "s")
    rows.append(Row("audit vs show, %s" % label, audit_text, ours_text,
                    "%.2f× show's time" % (audit / ours), "≤ 1× show's time per page",
                    audit <= ours * 1.1))

    # Applying a template to a fresh copy of the corpus.
    print("applying a template to %s" % source.package, flush=True)
    ours_copy = os.path.join(scratch, source.folder + "-apply-orlen")
    peer_copy = os.path.join(scratch, source.folder + "-apply-lxml")

    def fresh(target):
        def copy():
            shutil.rmtree(target, ignore_errors=True)
            shutil.copytree(corpus, target)
        return copy

    ours, ours_text = spread(timed([meta, "apply", template, ours_copy], runs,
                                   before=fresh(ours_copy)), "s")
    peer, peer_text = spread(timed([PYTHON, os.path.join(PEERS, "lxml_write.py"), peer_copy], runs,
                                   before=fresh(peer_copy)), "s")
    ours_altered = altered_bodies(corpus, ours_copy)
    peer_altered = altered_bodies(corpus, peer_copy)
    titled = subprocess.run([meta, "title", os.path.join(ours_copy, source.probe)],
                            capture_output=True, text=True).stdout
    if not titled.startswith("Docs: "):
        sys.exit("the template was not applied to %s: %r" % (source.package, titled))
    rows.append(Row("apply template (title + 3 tags) vs lxml writer, %s" % label, ours_text,
                    peer_text, faster(peer / ours), "≥ 4× faster", peer / ours >= 4))
    rows.append(Row("pages whose body changed (byte for byte), %s" % label,
                    "%d of %d" % (len(ours_altered), len(files)),
                    "%d of %d" % (len(peer_altered), len(files)), "", "0 for Orlen",
                    len(ours_altered) == 0))
    return rows


def machine():
    cpu = platform.processor() or "unknown"
    try:
        with open("/proc/cpuinfo") as f:
            for line in f:
                if line.startswith("model name"):
                    cpu = line.split(":", 1)[1].strip()
                    break
    except OSError:
        pass
    mem = 0
    with open("/proc/meminfo") as f:
        for line in f:
            if line.startswith("MemTotal:"):
                mem = int(line.split()[1]) / 1024 / 1024
    return "%d cores (%s), %.0f GiB memory, %s" % (os.cpu_count(), cpu, mem, platform.platform())


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("build")
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--markdown", help="also write the table here")
    args = parser.parse_args()
    build = os.path.abspath(args.build)
    runs = max(1, args.runs)
    meta = os.path.join(build, "bin", "orlen-meta")
    editor = os.path.join(build, "bin", "orlen")
    scratch = os.path.join(os.path.dirname(build), "bench")
    os.makedirs(scratch, exist_ok=True)

    corpora = []
    for source in CORPORA:
        corpus = prepare_corpus(scratch, source)
        files = html_files(corpus)
        corpora.append((source, corpus, files, sum(os.path.getsize(p) for p in files) / 1e6))
    pages = prepare_pages(build, scratch)
    rows = []
    for source, corpus, files, megabytes in corpora:
        print("%s: %d pages, %.1f MB" % (source.package, len(files), megabytes), flush=True)
    print("%d runs each" % runs, flush=True)

    template = os.path.join(scratch, "bench.mtpl")
    with open(template, "w") as f:
        f.write(TEMPLATE)
    # One row per corpus for each measure, the corpora side by side.
    measured = [corpus_rows(source, corpus, files, meta, template, scratch, runs)
                for source, corpus, files, _ in corpora]
    for same_measure in zip(*measured):
        rows.extend(same_measure)

    # A site of 10,000 pages of 15 KB from the small-page corpus.
    small = [files for source, _, files, _ in corpora if source.limit is not None][0]
    rows.extend(site_rows(build, meta, prepare_site(scratch, small), runs))

    # The page model on the generated pages.
    print("page model", flush=True)
    words = os.path.join(build, "bin", "common_words.txt")
    model = os.path.join(build, "bench", "orlen_model_timings")

    def model_timings(page, count):
        out = subprocess.run([model, page, words, str(count)], capture_output=True, text=True,
                             check=True)
        found = {}
        for line in out.stdout.splitlines():
            key, med, low, high, unit = line.split()
            found[key] = (float(med), float(low), float(high), unit)
        return found

    def add_row(label, values, unit, target, ok):
        med, text = spread(values, unit)
        rows.append(Row(label, text, "", "", target, ok(med) if ok else None))

    # A page opened in a fresh process pays for fresh memory; later pages in
    # the same process reuse it. Both are shown.
    for name, label, target, ok in (
            ("10MB", "10 MB page", "≥ 300 MB/s", lambda v: v >= 300),
            ("1MB", "1 MB page", "", None),
            ("100MB", "100 MB page", "", None),
            ("50MB-one-line", "50 MB single line", "", None)):
        fresh_runs = [model_timings(pages[name], 1)["load-rebuild"][0] for _ in range(runs)]
        add_row("load + rebuild, %s, fresh process" % label, fresh_runs, "MB/s", target, ok)
        if name == "100MB":
            add_row("rebuild of the 100 MB page, whole process",
                    whole_process_rates([meta, "rebuild", pages[name]], pages[name], runs),
                    "MB/s", "≥ 300 MB/s", lambda v: v >= 300)
        if name == "10MB":
            again = model_timings(pages[name], runs)
            for key, label_text, target_text, limit in (
                    ("load-rebuild", "load + rebuild, %s, again in one process" % label, "", None),
                    ("set-meta", "set meta, 10 MB page", "well under 1 ms", 100),
                    ("suggest", "keyword suggestion, 10 MB page", "< 300 ms", 300)):
                med, low, high, unit = again[key]
                rows.append(Row(label_text, describe(med, low, high, unit), "", "", target_text,
                                None if limit is None else med < limit))

    size = os.path.getsize(pages["100MB"]) / 1024
    rss = peak_rss_kib([meta, "show", pages["100MB"]])
    rows.append(Row("peak memory, show of the 100 MB page", "%.1f MB (%.2f× the file)" %
                    (rss / 1024, rss / size), "", "", "≤ 4× the file", rss <= 4 * size))
    rss = peak_rss_kib([meta, "rebuild", pages["100MB"]])
    rows.append(Row("peak memory, rebuild of the 100 MB page", "%.1f MB (%.2f× the file)" %
                    (rss / 1024, rss / size), "", "", "", None))

    # The same page without its opening body tag, each command a whole
    # process. set works on a fresh copy each run.
    print("100 MB page without a body tag", flush=True)
    bodyless = pages["100MB-no-body"]
    copy = os.path.join(scratch, "pages", "set-copy.html")

    def fresh_copy():
        shutil.copyfile(bodyless, copy)

    set_argv = [meta, "set", copy, "--meta", "description=" + DESCRIPTION]
    add_row("rebuild of the 100 MB page without a body tag, whole process",
            whole_process_rates([meta, "rebuild", bodyless], bodyless, runs), "MB/s",
            "≥ 300 MB/s", lambda v: v >= 300)
    add_row("show of the 100 MB page without a body tag, whole process",
            timed([meta, "show", bodyless], runs), "s", "", None)
    add_row("set meta on the 100 MB page without a body tag, whole process",
            timed(set_argv, runs, before=fresh_copy), "s", "", None)
    with open(copy, "rb") as f:
        if ('content="%s"' % DESCRIPTION).encode() not in f.read(1 << 16):
            sys.exit("orlen-meta set did not set the description")
    size = os.path.getsize(bodyless) / 1024
    for command, argv, target in (
            ("show of", [meta, "show", bodyless], True),
            ("rebuild of", [meta, "rebuild", bodyless], True),
            ("set meta on", set_argv, False)):
        fresh_copy()
        rss = peak_rss_kib(argv)
        rows.append(Row("peak memory, %s the 100 MB page without a body tag" % command,
                        "%.1f MB (%.2f× the file)" % (rss / 1024, rss / size), "", "",
                        "≤ 2.5× the file" if target else "",
                        rss <= 2.5 * size if target else None))

    # The editor, offscreen, without the browser preview.
    print("editor", flush=True)
    starts, opens, keys = [], [], []
    large_opens = {"100MB": [], "100MB-no-body": []}
    large_rss = {"100MB": [], "100MB-no-body": []}
    with tempfile.TemporaryDirectory() as home:
        env = dict(os.environ, QT_QPA_PLATFORM="offscreen", XDG_CONFIG_HOME=home,
                   XDG_RUNTIME_DIR=home)
        os.chmod(home, 0o700)

        # With rss, the editor runs under a Python parent that prints its peak
        # resident memory after it ends ("rss KiB").
        rss_code = ("import resource, subprocess, sys\n"
                    "r = subprocess.run(sys.argv[1:])\n"
                    "print('rss', resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss)\n"
                    "sys.exit(r.returncode)\n")

        def timed_open(page, rss=False):
            argv = [editor, "--report-timings", page]
            if rss:
                argv = [sys.executable, "-c", rss_code] + argv
            spawned = time.monotonic()
            out = subprocess.run(argv, env=env, capture_output=True, text=True, timeout=120)
            report = dict(line.split(" ", 1) for line in out.stdout.splitlines() if " " in line)
            if out.returncode != 0 or report.get("keystroke-stored") != "yes":
                sys.exit("the editor's timing run failed:\n" + out.stdout + out.stderr[-2000:])
            return spawned, report, int(report.get("rss", "0"))

        for _ in range(runs):
            spawned, report, _ = timed_open(pages["10MB"])
            starts.append((float(report["first-paint-monotonic"]) - spawned) * 1000)
            opens.append(float(report["open"].split()[0]))
            keys.append(float(report["keystroke"].split()[0]))
            for name in large_opens:
                _, report, rss = timed_open(pages[name], rss=True)
                large_opens[name].append(float(report["open"].split()[0]))
                large_rss[name].append(rss)
    for label, values, target, limit in (
            ("editor: start to first painted window", starts, "< 500 ms", 500),
            ("editor: open the 10 MB page to filled form", opens, "< 300 ms", 300),
            ("editor: one keystroke stored, 10 MB page", keys, "< 5 ms", 5),
            ("editor: open the 100 MB page to filled form", large_opens["100MB"], "< 500 ms",
             500),
            ("editor: open the 100 MB page without a body tag to filled form",
             large_opens["100MB-no-body"], "< 500 ms", 500)):
        med, text = spread(values, "ms")
        rows.append(Row(label, text, "", "", target, med < limit))
    # The editor's own memory (Qt and its plugins) is part of the figure.
    size = os.path.getsize(pages["100MB-no-body"]) / 1024
    rss = statistics.median(large_rss["100MB-no-body"])
    rows.append(Row("peak memory, editor with the 100 MB page without a body tag open",
                    "%.1f MB (%.2f× the file)" % (rss / 1024, rss / size), "", "",
                    "≤ 2.5× the file", rss <= 2.5 * size))

    # The table.
    header = ["Measure", "Orlen", "Peer", "Ratio", "Target", "Met"]
    lines = ["| " + " | ".join(header) + " |", "|" + "---|" * len(header)]
    for r in rows:
        met = "" if r.met is None else ("yes" if r.met else "**no**")
        lines.append("| " + " | ".join([r.measure, r.ours, r.peer, r.ratio, r.target, met]) + " |")
    table = "\n".join(lines)
    info = ["Run on %s" % datetime.date.today().isoformat(), "Machine: " + machine()]
    for source, corpus, files, megabytes in corpora:
        every = len(html_files(source.source))
        taken = ("all %d pages" % len(files) if len(files) == every else
                 "the %d pages under %d KB of its %d" % (len(files), source.limit // 1000, every))
        info.append("Corpus: %s, %s, %.1f MB" % (source.package, taken, megabytes))
    info.append("Median of %d runs, range in brackets" % runs)
    text = "\n".join(info) + "\n\n" + table + "\n"
    print()
    print(text)
    if args.markdown:
        with open(args.markdown, "w") as f:
            f.write(text)
    return 0


if __name__ == "__main__":
    sys.exit(main())
