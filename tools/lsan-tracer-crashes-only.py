#!/usr/bin/env python3
"""Reads a ctest log written with --output-on-failure and exits 0 when there is at least one failed
test and every failed test passed its own checks but ended in a crash of LeakSanitizer's tracer
("Tracer caught signal", "LeakSanitizer has encountered a fatal error"); 1 otherwise.

Usage: tools/lsan-tracer-crashes-only.py CTEST_LOG
"""
import re
import sys

RESULT = re.compile(r"^\s*\d+/\d+ Test\s+#\d+: (\S+) \.*\s*(\*\*\*\w+.*|Passed.*|Not Run.*)$")
START = re.compile(r"^\s+Start\s+\d+: ")


def failed_blocks(lines):
    """(name, output lines) of each failed test: its result line up to the next start or result."""
    blocks, current = [], None
    for line in lines:
        m = RESULT.match(line)
        if m or START.match(line):
            current = None
            if m and not m.group(2).startswith("Passed"):
                current = (m.group(1), [])
                blocks.append(current)
            continue
        if current is not None:
            current[1].append(line)
    return blocks


def tracer_crash_only(output):
    text = "\n".join(output)
    return ("[  PASSED  ]" in text and "[  FAILED  ]" not in text and "Tracer caught signal" in text
            and "LeakSanitizer has encountered a fatal error" in text and "ERROR: AddressSanitizer" not in text
            and "runtime error:" not in text and "ERROR: LeakSanitizer: detected memory leaks" not in text)


def main():
    with open(sys.argv[1], errors="replace") as f:
        lines = f.read().splitlines()
    blocks = failed_blocks(lines)
    for name, output in blocks:
        print("%s: %s" % (name, "LeakSanitizer's tracer crashed" if tracer_crash_only(output) else "failed"))
    return 0 if blocks and all(tracer_crash_only(o) for _, o in blocks) else 1


if __name__ == "__main__":
    sys.exit(main())
