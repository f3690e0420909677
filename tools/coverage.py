#!/usr/bin/env python3
"""Line coverage of src/ from a build made with -DBW_COVERAGE=ON after its tests have run.

    tools/coverage.py BUILD_DIR [--files]

Reads every .gcda count file under BUILD_DIR through gcov's JSON output and merges them: a line
is covered when any program (unit tests, end-to-end runs of the executable) executed it. Headers
count too, since inline functions live there. Prints the total, and with --files one line per file.
"""
import json
import os
import subprocess
import sys


def gcda_files(build_dir):
    for folder, _, names in os.walk(build_dir):
        for name in names:
            if name.endswith(".gcda"):
                yield os.path.join(folder, name)


def merge_counts(build_dir, source_dir):
    """{source file: {line number: executed at least once}} for the files under src/."""
    lines = {}
    src = os.path.join(source_dir, "src") + os.sep
    for gcda in gcda_files(build_dir):
        # gcov writes its .gcov.json.gz files into the working directory: a scratch one per run.
        result = subprocess.run(["gcov", "--json-format", "--stdout", gcda], cwd=build_dir,
                                capture_output=True, text=True)
        if result.returncode != 0:
            print("gcov failed on %s: %s" % (gcda, result.stderr.strip()), file=sys.stderr)
            continue
        for document in result.stdout.splitlines():
            if not document.strip():
                continue
            report = json.loads(document)
            for entry in report.get("files", []):
                path = os.path.normpath(os.path.join(report.get("current_working_directory", ""),
                                                     entry["file"]))
                if not path.startswith(src):
                    continue
                counts = lines.setdefault(path[len(src):], {})
                for line in entry["lines"]:
                    number = line["line_number"]
                    counts[number] = counts.get(number, False) or line["count"] > 0
    return lines


def main():
    if len(sys.argv) < 2 or not os.path.isdir(sys.argv[1]):
        sys.exit("usage: tools/coverage.py BUILD_DIR [--files]")
    source_dir = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    lines = merge_counts(os.path.abspath(sys.argv[1]), source_dir)
    if not lines:
        sys.exit("no coverage counts under %s: build with -DBW_COVERAGE=ON and run the tests first"
                 % sys.argv[1])
    covered = sum(sum(counts.values()) for counts in lines.values())
    total = sum(len(counts) for counts in lines.values())
    if "--files" in sys.argv[2:]:
        for name in sorted(name for name in lines if lines[name]):
            hit, all_lines = sum(lines[name].values()), len(lines[name])
            print("%6.1f%%  %5d / %5d  src/%s" % (100.0 * hit / all_lines, hit, all_lines, name))
    print("line coverage of src/: %.1f%% (%d of %d lines)" % (100.0 * covered / total, covered, total))


if __name__ == "__main__":
    main()
