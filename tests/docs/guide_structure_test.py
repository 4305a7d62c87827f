#!/usr/bin/env python3
"""The author's guide and its translations stay in step: the same headings
at the same levels with the same section numbers, and in every section the
same tables (as many rows, the same keys in their first column), as many
code blocks and as many list items. Prose may differ; what an author looks
things up by may not.

Run as: guide_structure_test.py ENGLISH_GUIDE TRANSLATED_GUIDE...
"""
import re
import sys


def sections(path):
    """[(heading, {"tables": [...], "code": n, "items": n})] in file order."""
    out = [("(before the first heading)", {"tables": [], "code": 0, "items": 0})]
    in_code = False
    table = None
    for line in open(path, encoding="utf-8"):
        line = line.rstrip("\n")
        if line.lstrip().startswith("```"):
            if not in_code:
                out[-1][1]["code"] += 1
            in_code = not in_code
            continue
        if in_code:
            continue
        if line.startswith("|"):
            cells = [c.strip() for c in line.strip("|").split("|")]
            if table is None:
                table = []
                out[-1][1]["tables"].append(table)
            if not re.fullmatch(r"[-: ]+", "".join(cells)):
                table.append(tuple(re.findall(r"`[^`]*`", cells[0])))
            continue
        table = None
        heading = re.match(r"^(#+) (\d+\.)?", line)
        if heading:
            out.append((heading.group(1) + " " + (heading.group(2) or ""), {"tables": [], "code": 0, "items": 0}))
        elif re.match(r"^\s*(- |\d+\. )", line):
            out[-1][1]["items"] += 1
    return out


def main():
    english = sys.argv[1]
    reference = sections(english)
    failures = []
    for translated in sys.argv[2:]:
        other = sections(translated)
        if [h for h, _ in reference] != [h for h, _ in other]:
            failures.append(f"{translated}: headings {[h for h, _ in other]}, "
                            f"not those of {english}: {[h for h, _ in reference]}")
            continue
        for index, ((heading, a), (_, b)) in enumerate(zip(reference, other)):
            where = f"{translated}: section {index} ('{heading.strip()}')"
            if len(a["tables"]) != len(b["tables"]):
                failures.append(f"{where}: {len(b['tables'])} tables, not {len(a['tables'])}")
            for number, (ta, tb) in enumerate(zip(a["tables"], b["tables"]), 1):
                if ta != tb:
                    failures.append(f"{where}: table {number} has rows {tb}, not {ta}")
            for what in ("code", "items"):
                if a[what] != b[what]:
                    failures.append(f"{where}: {b[what]} {what}, not {a[what]}")
    for f in failures:
        print("FAILED: " + f)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
