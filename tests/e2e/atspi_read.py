"""What a screen reader gets of one running program, through AT-SPI: each
object of its windows as a JSON line (window title, role, name,
description, whether it shows, and a table's rows read cell by cell).

Run by the distribution's Python, where Debian's python3-pyatspi lives:
    atspi_read.py PID [MAX_ROWS]"""
import json
import sys

import pyatspi


def rows_of(obj, limit):
    try:
        table = obj.queryTable()
    except NotImplementedError:
        return None
    out = []
    for r in range(min(table.nRows, limit)):
        out.append([table.getAccessibleAt(r, c).name for c in range(table.nColumns)])
    return {"count": table.nRows, "rows": out}


def walk(obj, window, limit, depth=0):
    if obj is None or depth > 40:
        return
    states = obj.getState()
    entry = {"window": window, "role": obj.getRoleName(), "name": obj.name,
             "description": obj.description,
             "showing": states.contains(pyatspi.STATE_SHOWING)}
    tables = (pyatspi.ROLE_TABLE, pyatspi.ROLE_TREE_TABLE, pyatspi.ROLE_TREE)
    table = rows_of(obj, limit) if obj.getRole() in tables else None
    if table is not None:
        entry["table"] = table
    print(json.dumps(entry, ensure_ascii=False))
    if table is not None:
        return  # its cells are in the rows
    for child in obj:
        walk(child, window, limit, depth + 1)


def main():
    pid = int(sys.argv[1])
    limit = int(sys.argv[2]) if len(sys.argv) > 2 else 20
    desktop = pyatspi.Registry.getDesktop(0)
    for app in desktop:
        if app is None or app.get_process_id() != pid:
            continue
        for window in app:
            walk(window, window.name, limit)
        return 0
    print("no application with pid %d among %s" % (pid, [(a.name, a.get_process_id()) for a in desktop if a]),
          file=sys.stderr)
    return 1


if __name__ == "__main__":
    sys.exit(main())
