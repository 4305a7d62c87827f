#!/usr/bin/python3
"""What a screen reader finds of the class-results window over the real
accessibility bus (AT-SPI 2): the table with its headings and cells, the
filters named by their labels, the buttons by their texts.

Run as: class_results_atspi.py PROCESS_ID (of the player, already started on
a results folder where gleb has not finished квест).
"""
import sys
import time

import pyatspi


def nodes(node, depth=0):
    if node is None or depth > 40:
        return
    yield node
    for i in range(node.childCount):
        yield from nodes(node.getChildAtIndex(i), depth + 1)


def application(pid, seconds):
    deadline = time.time() + seconds
    while time.time() < deadline:
        desktop = pyatspi.Registry.getDesktop(0)
        for i in range(desktop.childCount):
            app = desktop.getChildAtIndex(i)
            try:
                if app is not None and app.get_process_id() == pid:
                    for node in nodes(app):
                        if node.getRole() == pyatspi.ROLE_TABLE:
                            return app
            except Exception:  # an application that went away meanwhile
                pass
        time.sleep(0.2)
    return None


def label_of(node):
    for relation in node.getRelationSet():
        if relation.getRelationType() == pyatspi.RELATION_LABELLED_BY:
            return relation.getTarget(0).name
    return None


def main():
    pid = int(sys.argv[1])
    app = application(pid, 30)
    if app is None:
        print("FAILED: the window never came onto the accessibility bus")
        return 1
    failures = []
    everything = list(nodes(app))
    tables = [n for n in everything if n.getRole() == pyatspi.ROLE_TABLE]
    if len(tables) != 1:
        failures.append(f"{len(tables)} tables")
    else:
        table = tables[0]
        if table.name != "Class results":
            failures.append(f"the table is called {table.name!r}")
        t = table.queryTable()
        headings = [t.getColumnDescription(c) for c in range(t.nColumns)]
        if headings != ["Name", "Login", "Game", "Best mark", "Last mark", "Attempts",
                        "First played", "Last played"]:
            failures.append(f"headings {headings}")
        rows = [[t.getAccessibleAt(r, c).name for c in range(t.nColumns)] for r in range(t.nRows)]
        if ["gleb", "квест", "not finished"] not in [[r[1], r[2], r[3]] for r in rows]:
            failures.append(f"no row says gleb has not finished: {rows}")
        if ["anna", "квест", "5"] not in [[r[1], r[2], r[3]] for r in rows]:
            failures.append(f"no row gives anna's 5: {rows}")
    combos = {label_of(n): n for n in everything if n.getRole() == pyatspi.ROLE_COMBO_BOX}
    for label in ("&Game:", "&Day:", "&Sort by:"):
        plain = label.replace("&", "")
        if label not in combos and plain not in combos:
            failures.append(f"no list to choose from labelled {plain!r}: {list(combos)}")
    buttons = {n.name.replace("&", "") for n in everything if n.getRole() == pyatspi.ROLE_PUSH_BUTTON}
    for name in ("Reload", "Save as CSV…", "Save as HTML…", "Close"):
        if name not in buttons:
            failures.append(f"no button {name!r}: {sorted(buttons)}")
    for f in failures:
        print("FAILED: " + f)
    if not failures:
        print(f"class results over AT-SPI: {len(everything)} nodes, all named as they should be")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
