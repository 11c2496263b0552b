#!/usr/bin/env python3
"""The per-page steps of the tool's result listing, done the usual Python way, for comparison.

Usage: regex_bench_steps.py PAGE_FILE REPEATS
Prints the median time of the steps in milliseconds and the number of hits found.
"""
import re
import statistics
import sys
import time
import urllib.parse

PATTERN = re.compile(r'<a href="(.*?)">(.*?)</a></li><li>', re.IGNORECASE)


def list_page(page):
    text = urllib.parse.unquote_to_bytes(page).decode("utf-8", "replace")
    text = text.encode("gbk", "replace").decode("gbk")
    rows = [(match.group(2), match.group(1)) for match in PATTERN.finditer(text)]
    return rows


def main():
    with open(sys.argv[1], "rb") as page_file:
        page = page_file.read()
    repeats = int(sys.argv[2])
    times = []
    for _ in range(repeats):
        start = time.perf_counter()
        rows = list_page(page)
        times.append(time.perf_counter() - start)
    print(f"{statistics.median(times) * 1000:.3f} {len(rows)}")


if __name__ == "__main__":
    main()
