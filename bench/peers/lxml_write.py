#!/usr/bin/python3
"""Sets a description meta tag on each page with lxml and writes it back."""

import sys

import lxml.html

from common import pages

DESCRIPTION = "Python 3.11 documentation, as shipped by Debian."


def write_one(path):
    tree = lxml.html.parse(path)
    root = tree.getroot()
    if root is None:
        return
    head = root.find("head")
    if head is None:
        head = lxml.html.Element("head")
        root.insert(0, head)
    found = [m for m in head.findall("meta") if (m.get("name") or "").lower() == "description"]
    if found:
        found[0].set("content", DESCRIPTION)
    else:
        meta = lxml.html.Element("meta", name="description", content=DESCRIPTION)
        head.append(meta)
    encoding = tree.docinfo.encoding or "utf-8"
    tree.write(path, method="html", encoding=encoding, doctype=tree.docinfo.doctype)


if __name__ == "__main__":
    for page in pages(sys.argv[1:]):
        write_one(page)
