#!/usr/bin/python3
"""Reads the title and every meta tag of each page with lxml's HTML parser."""

import lxml.html

from common import main_reader, meta_rows


def read_one(path):
    root = lxml.html.parse(path).getroot()
    if root is None:
        return "", []
    titles = root.xpath("//head/title")
    title = titles[0].text_content() if titles else ""
    metas = meta_rows(root.xpath("//head/meta"))
    return title, metas


if __name__ == "__main__":
    main_reader(read_one)
