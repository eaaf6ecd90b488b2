"""Shared by the peer scripts: the pages under the paths given."""

import os
import sys


def pages(paths):
    """Every .html/.htm file under the given files and folders, sorted."""
    found = []
    for path in paths:
        if os.path.isdir(path):
            for root, dirs, files in os.walk(path):
                dirs.sort()
                for name in sorted(files):
                    if name.lower().endswith((".html", ".htm")):
                        found.append(os.path.join(root, name))
        else:
            found.append(path)
    return found


def escape(text):
    return (text or "").replace("\\", "\\\\").replace("\t", "\\t").replace("\n", "\\n")


def print_page(out, path, title, metas):
    """The same lines as orlen-meta show prints."""
    lines = ["==> %s <==" % path, "title\t" + escape(title)]
    for kind, name, content in metas:
        lines.append("%s\t%s\t%s" % (kind, escape(name), escape(content)))
    out.write("\n".join(lines) + "\n")


def meta_rows(tags):
    """(kind, name, content) for each meta tag with a name or http-equiv;
    tags are lxml elements or BeautifulSoup tags (both have .get)."""
    rows = []
    for meta in tags:
        if meta.get("name") is not None:
            rows.append(("name", meta.get("name"), meta.get("content", "")))
        elif meta.get("http-equiv") is not None:
            rows.append(("http-equiv", meta.get("http-equiv"), meta.get("content", "")))
    return rows


def main_reader(read_one):
    out = sys.stdout
    for path in pages(sys.argv[1:]):
        title, metas = read_one(path)
        print_page(out, path, title, metas)
