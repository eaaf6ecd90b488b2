#!/usr/bin/python3
"""Reads the title and every meta tag of each page with lxml's HTML parser."""

import lxml.html

from common import main_reader


def read_one(path):
    root = lxml.html.parse(path).getroot()
    if root is None:
        return "", []
    titles = root.xpath("//head/title")
    title = titles[0].text_content() if titles else ""
    metas = []
    for meta in root.xpath("//head/meta"):
        if meta.get("name") is not None:
            metas.append(("name", meta.get("name"), meta.get("content", "")))
        elif meta.get("http-equiv") is not None:
            metas.append(("http-equiv", meta.get("http-equiv"), meta.get("content", "")))
    return title, metas


if __name__ == "__main__":
    main_reader(read_one)
