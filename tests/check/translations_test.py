#!/usr/bin/env python3
"""The checker's catalogues keep up with its sources: every message that
xgettext finds in tools/check is in the template and translated in every
catalogue, nothing is left fuzzy, and each translation has the numbered
places ({1}, {2}, ...) of its English text, so that no finding loses a name
or a number in another language.

Run as: translations_test.py SOURCE_DIR PO_DIR XGETTEXT MSGCMP [XGETTEXT_OPTION...]
"""
import glob
import json
import os
import re
import subprocess
import sys
import tempfile


def entries(po_path):
    """(flags, {field: text}) for every entry of a PO file but the header."""
    text = open(po_path, encoding="utf-8").read()
    for block in text.split("\n\n"):
        flags, fields, current = "", {}, None
        for line in block.splitlines():
            if line.startswith("#,"):
                flags += line
            m = re.match(r'^(msgid_plural|msgid|msgstr(?:\[\d\])?) (".*")$', line)
            if m:
                current = m.group(1)
                fields[current] = json.loads(m.group(2))
            elif line.startswith('"') and current:
                fields[current] += json.loads(line)
        if fields.get("msgid"):
            yield flags, fields


def places(text):
    return sorted(set(re.findall(r"\{[1-9]\}", text)))


def main():
    source_dir, po_dir, xgettext, msgcmp = sys.argv[1:5]
    options = sys.argv[5:]
    failures = []
    with tempfile.TemporaryDirectory() as scratch:
        pot = os.path.join(scratch, "now.pot")
        sources = sorted(
            os.path.basename(p)
            for p in glob.glob(os.path.join(source_dir, "*.cpp")) + glob.glob(os.path.join(source_dir, "*.h"))
        )
        subprocess.run([xgettext, *options, "--output=" + pot, *sources], cwd=source_dir, check=True)
        template = os.path.join(po_dir, "taleplay-check.pot")
        if subprocess.run([msgcmp, "--use-untranslated", template, pot]).returncode != 0:
            failures.append("po/taleplay-check.pot lacks messages: build the taleplay-check-pot target")
        catalogues = sorted(glob.glob(os.path.join(po_dir, "*.po")))
        if not catalogues:
            failures.append("no catalogue in " + po_dir)
        for po in catalogues:
            name = os.path.basename(po)
            if subprocess.run([msgcmp, po, pot]).returncode != 0:
                failures.append(name + " lacks translations (msgcmp above)")
            for flags, fields in entries(po):
                english = fields["msgid"]
                if "fuzzy" in flags:
                    failures.append(f"{name}: fuzzy: {english!r}")
                wanted = places(english + fields.get("msgid_plural", ""))
                for field, text in fields.items():
                    if field.startswith("msgstr") and text and places(text) != wanted:
                        failures.append(f"{name}: {field} of {english!r} has places {places(text)}, not {wanted}")
    for f in failures:
        print("FAILED: " + f)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
