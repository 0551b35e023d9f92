#!/usr/bin/env python3
"""Fails on an include that runs up or across the program's layers.

usage: include_layers_test.py <source dir> <layers.txt>
layers.txt holds one line per layer, "<folder>: <folders it may include>",
written by the build from the layers' own library targets.
"""
import os
import re
import sys

INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"')


def read_layers(path):
    layers = {}
    with open(path, encoding="utf-8") as f:
        for line in f:
            folder, _, reach = line.partition(":")
            if folder.strip():
                layers[folder.strip()] = reach.split()
    return layers


def layer_of(include, folders):
    matches = [f for f in folders if include.startswith(f + "/")]
    return max(matches, key=len) if matches else None


def main():
    source, layers_file = sys.argv[1], sys.argv[2]
    layers = read_layers(layers_file)
    project_dirs = {d for d in os.listdir(source) if os.path.isdir(os.path.join(source, d))}
    wrong = []
    for folder in layers:
        path = os.path.join(source, folder)
        count = 0
        for name in sorted(os.listdir(path)):
            if not name.endswith((".h", ".cpp")):
                continue
            with open(os.path.join(path, name), encoding="utf-8", errors="replace") as f:
                for number, line in enumerate(f, 1):
                    m = INCLUDE.match(line)
                    if not m:
                        continue
                    include = m.group(1)
                    target = layer_of(include, layers)
                    first = include.split("/")[0]
                    if target is None and (first == ".." or first in project_dirs):
                        target = include.rsplit("/", 1)[0]
                    if target is None or target in layers[folder]:
                        count += 1
                        continue
                    wrong.append(f"{folder}/{name}:{number}: includes {include}, "
                                 f"but {folder} may include only {' '.join(layers[folder])}")
        print(f"{folder:13} may include {' '.join(layers[folder]):55} {count} includes, all within")
    for w in wrong:
        print(w)
    print(f"{len(wrong)} includes run up or across" if wrong else "no include runs up or across")
    return 1 if wrong else 0


if __name__ == "__main__":
    sys.exit(main())
