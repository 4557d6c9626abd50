#!/usr/bin/env python3
"""Fails the test run when a test was skipped that nobody expected to skip.

Reads the JUnit report ctest writes (--output-junit) and lists every test
that did not run, with the reason it gave. A skip is expected only when its
name matches one of the regular expressions in SNOWQUILL_EXPECTED_SKIPS
(separated by commas), for a machine known to lack something.

Usage: check_skips.py JUNIT_XML
"""
import os
import re
import sys
import xml.etree.ElementTree as ET


def main():
    if len(sys.argv) != 2:
        print(__doc__, file=sys.stderr)
        return 2
    expected = [re.compile(p) for p in os.environ.get("SNOWQUILL_EXPECTED_SKIPS", "").split(",") if p]
    root = ET.parse(sys.argv[1]).getroot()
    unexpected = []
    for case in root.iter("testcase"):
        if case.get("status") not in ("notrun", "skipped") and case.find("skipped") is None:
            continue
        name = case.get("name", "?")
        out = case.findtext("system-out") or ""
        reasons = re.findall(r"(?:Skipped|SKIPPED:)\s*(.+)", out)
        reason = next((r.strip() for r in reasons if r.strip() and not r.startswith("[")), "no reason given")
        if any(p.search(name) for p in expected):
            print(f"check_skips: expected skip: {name} ({reason})")
        else:
            unexpected.append(f"{name} ({reason})")
    for u in unexpected:
        print(f"check_skips: unexpected skip: {u}", file=sys.stderr)
    if unexpected:
        print(f"check_skips: {len(unexpected)} test(s) did not run; a skip fails the run unless it is listed in "
              "SNOWQUILL_EXPECTED_SKIPS", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
