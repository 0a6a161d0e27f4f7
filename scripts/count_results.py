#!/usr/bin/env python3
"""Counts the test cases of a GoogleTest or JUnit XML report; prints "passed failed".

A report that is missing or cannot be read counts as one failure. GoogleTest copies the bytes of
a failure message into the report as they are, so a failed comparison of GBK texts makes a file
that is not UTF-8: it is read with such bytes replaced rather than dropped as unreadable, which
would hide how many cases ran.
"""
import sys
import xml.etree.ElementTree as ET


def count(path):
    try:
        with open(path, "rb") as f:
            text = f.read().decode("utf-8", errors="replace")
        text = "".join(c for c in text if c in "\t\n\r" or c >= " ")
        root = ET.fromstring(text.encode("utf-8"))
    except Exception:
        return 0, 1
    passed = failed = 0
    for tc in root.iter("testcase"):
        if tc.get("status") == "notrun" or tc.find("skipped") is not None:
            continue
        if tc.find("failure") is not None or tc.find("error") is not None or tc.get("status") == "fail":
            failed += 1
        else:
            passed += 1
    return passed, failed


if __name__ == "__main__":
    print(*count(sys.argv[1]))
