#!/usr/bin/python3
"""Reads the title and every meta tag of each page with BeautifulSoup on the
standard library's HTML parser."""

from bs4 import BeautifulSoup

from common import main_reader, meta_rows


def read_one(path):
    with open(path, "rb") as f:
        soup = BeautifulSoup(f.read(), "html.parser")
    head = soup.head or soup
    title = head.title.get_text() if head.title else ""
    metas = meta_rows(head.find_all("meta"))
    return title, metas


if __name__ == "__main__":
    main_reader(read_one)
