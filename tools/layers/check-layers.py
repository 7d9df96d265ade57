#!/usr/bin/env python3
"""Prints the converter's include graph by folder and fails on an include that points up.

The converter's folders in layers, lowest first: a folder may include its own headers and those of
the layers below it. Run: python3 tools/layers/check-layers.py [SOURCE_ROOT]
"""
import collections
import os
import re
import sys

LAYERS = ["core", "filelist", "workers", "dialogs", "pages", "mainwindow", "app", "cli", "."]
INCLUDE = re.compile(r'^\s*#\s*include\s+"([a-z]+)/[^"]+"', re.MULTILINE)


def folder_of(path, converter):
    rel = os.path.relpath(os.path.dirname(path), converter)
    return rel.split(os.sep)[0]


def include_graph(converter):
    arrows = collections.Counter()
    files = collections.Counter()
    for folder, _, names in os.walk(converter):
        for name in names:
            if not name.endswith((".cpp", ".h")):
                continue
            path = os.path.join(folder, name)
            source = folder_of(path, converter)
            files[source] += 1
            with open(path, encoding="utf-8") as text:
                for match in INCLUDE.finditer(text.read()):
                    target = match.group(1)
                    if target != source and target in LAYERS:
                        arrows[(source, target)] += 1
    return files, arrows


def main():
    root = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "../..")
    converter = os.path.join(root, "converter")
    files, arrows = include_graph(converter)
    upward = []
    for (source, target), count in sorted(arrows.items(), key=lambda a: LAYERS.index(a[0][0])):
        known = source in LAYERS
        up = not known or LAYERS.index(target) > LAYERS.index(source)
        print(f"{source:>10} -> {target:<10} {count:3d}{'  UP' if up else ''}")
        if up:
            upward.append((source, target))
    print(f"{len(files)} folders, {sum(files.values())} files, {len(arrows)} arrows, "
          f"{len(upward)} pointing up")
    return 1 if upward else 0


if __name__ == "__main__":
    sys.exit(main())
