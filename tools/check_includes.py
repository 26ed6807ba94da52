#!/usr/bin/env python3
"""Checks every #include of each library folder against the layering table.

The table is the one the build links by (cmake/Tillora.cmake, the tillora_links_<folder> lists):
a folder may include its own headers, the headers of the libraries it may link and of the
libraries below those, and the headers of the Qt modules among them. A file in data/ that
includes <QWidget> or "sales/..." is reported, and the check fails.

    check_includes.py --root SRC --qt-headers QT_INCLUDE_DIR [--probe FOLDER=FILE ...]

--probe checks FILE as if it were a file of FOLDER (for the test that proves a violation fails).
"""

import argparse
import os
import re
import sys

SET_RE = re.compile(r"set\(\s*tillora_links_(\w+)\s+([^)]*)\)", re.S)
INCLUDE_RE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]', re.M)
QT_MODULE_RE = re.compile(r"^Qt6::(\w+)$")


def read_table(root):
    with open(os.path.join(root, "cmake", "Tillora.cmake"), encoding="utf-8") as f:
        text = f.read()
    table = {}
    for name, body in SET_RE.findall(text):
        # Comment lines inside a multi-line set() are not entries.
        body = "\n".join(line.split("#", 1)[0] for line in body.splitlines())
        table[name] = body.split()
    return table


def closure(table, name):
    """Our folders and Qt modules that `name` may include: its own entries and, through each
    library of ours it links, everything that library may use."""
    folders, modules, todo = {name}, set(), [name]
    while todo:
        for entry in table.get(todo.pop(), []):
            qt = QT_MODULE_RE.match(entry)
            if qt:
                modules.add("Qt" + qt.group(1))
                continue
            entry = entry.removeprefix("tillora_")
            if entry not in folders and (entry in table or entry == "formset"):
                folders.add(entry)
                todo.append(entry)
    return folders, modules


def qt_module_index(qt_root):
    """Header name -> Qt module, from the installed headers (<QWidget> is in QtWidgets)."""
    index = {}
    for module in os.listdir(qt_root):
        path = os.path.join(qt_root, module)
        if module.startswith("Qt") and os.path.isdir(path):
            for header in os.listdir(path):
                index.setdefault(header, module)
    return index


def faults_of(path, shown, folder, table, ours, qt_index):
    folders, modules = closure(table, folder)
    faults = []
    with open(path, encoding="utf-8", errors="replace") as f:
        text = f.read()
    for kind, header in INCLUDE_RE.findall(text):
        top = header.split("/", 1)[0]
        if kind == '"' and "/" in header and top in ours and top not in folders:
            faults.append(f'{shown}: includes "{header}", above {folder}/ in the layering table')
            continue
        if kind == "<":
            module = top if "/" in header and top.startswith("Qt") else qt_index.get(header)
            if module and module not in modules:
                faults.append(f"{shown}: includes <{header}> ({module}), which {folder}/ may not use")
    return faults


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--root", required=True)
    parser.add_argument("--qt-headers", required=True,
                        help="the folder holding QtCore/, QtWidgets/, ...")
    parser.add_argument("--probe", action="append", default=[])
    args = parser.parse_args()

    table = read_table(args.root)
    # Every folder name of ours that a quoted include can start with.
    ours = set(table) | {"formset", "tools", "tests", "bench"}
    qt_index = qt_module_index(args.qt_headers)
    if "QWidget" not in qt_index:
        print(f"check_includes: no Qt headers under {args.qt_headers}", file=sys.stderr)
        return 2

    faults = []
    if args.probe:
        for probe in args.probe:
            folder, path = probe.split("=", 1)
            shown = f"{folder}/{os.path.basename(path)}"
            faults += faults_of(path, shown, folder, table, ours, qt_index)
    else:
        for folder in sorted(table):
            base = os.path.join(args.root, folder)
            for dirpath, _, files in os.walk(base):
                for name in sorted(files):
                    if name.endswith((".h", ".cpp")):
                        path = os.path.join(dirpath, name)
                        shown = os.path.relpath(path, args.root)
                        faults += faults_of(path, shown, folder, table, ours, qt_index)
    for fault in faults:
        print(fault)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
