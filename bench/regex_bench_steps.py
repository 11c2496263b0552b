#!/usr/bin/env python3
"""The per-page steps of the tool's result listing, done the usual Python way, for comparison.

Usage: regex_bench_steps.py PAGE_FILE REPEATS
Prints the median wall-clock and processor times of the steps in milliseconds, and the number of
hits found.
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
    wall_times = []
    processor_times = []
    for _ in range(repeats):
        wall_start = time.perf_counter()
        processor_start = time.process_time()
        rows = list_page(page)
        processor_times.append(time.process_time() - processor_start)
        wall_times.append(time.perf_counter() - wall_start)
    wall_ms = statistics.median(wall_times) * 1000
    processor_ms = statistics.median(processor_times) * 1000
    print(f"{wall_ms:.3f} {processor_ms:.3f} {len(rows)}")


if __name__ == "__main__":
    main()
