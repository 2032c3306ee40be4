#!/usr/bin/env python3
"""Fails when a folder's code includes a header of a folder above it (see layers.txt).

usage: check_layers.py ROOT [LAYERS_FILE]
Prints every offending include as "file:line: folder may not include path" and exits 1; prints a
one-line summary and exits 0 when there is none.
"""
import os
import re
import sys

INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"')
SOURCE_SUFFIXES = ('.h', '.hpp', '.cpp', '.cc', '.c')
SKIP_DIRS = {'.git', 'tests', 'docs', 'cmake', 'scripts'}


def read_layers(path):
    allowed = {}
    with open(path, encoding='utf-8') as f:
        for number, raw in enumerate(f, 1):
            line = raw.split('#', 1)[0].strip()
            if not line:
                continue
            if ':' not in line:
                sys.exit(f'{path}:{number}: expected "folder: folders"')
            folder, rest = line.split(':', 1)
            allowed[folder.strip()] = set(rest.split())
    return allowed


def owner(path, folders):
    """The deepest listed folder that contains path, or None."""
    best = None
    for folder in folders:
        if path == folder or path.startswith(folder + '/'):
            if best is None or len(folder) > len(best):
                best = folder
    return best


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    root = os.path.abspath(sys.argv[1])
    layers_file = sys.argv[2] if len(sys.argv) > 2 else os.path.join(root, 'layers.txt')
    allowed = read_layers(layers_file)
    folders = list(allowed)
    faults = []
    checked = 0
    for top in sorted(os.listdir(root)):
        if top in SKIP_DIRS or top.startswith('build') or not os.path.isdir(os.path.join(root, top)):
            continue
        for dirpath, dirnames, filenames in os.walk(os.path.join(root, top)):
            dirnames.sort()
            for name in sorted(filenames):
                if not name.endswith(SOURCE_SUFFIXES):
                    continue
                full = os.path.join(dirpath, name)
                rel = os.path.relpath(full, root)
                mine = owner(rel, folders)
                if mine is None:
                    continue
                checked += 1
                with open(full, encoding='utf-8', errors='replace') as f:
                    for number, line in enumerate(f, 1):
                        m = INCLUDE.match(line)
                        if not m:
                            continue
                        target = m.group(1)
                        theirs = owner(target, folders)
                        if theirs is None or theirs == mine or theirs.startswith(mine + '/'):
                            continue
                        ok = any(theirs == a or theirs.startswith(a + '/') for a in allowed[mine])
                        if not ok:
                            faults.append(f'{rel}:{number}: {mine} may not include "{target}" ({theirs})')
    for fault in faults:
        print(fault)
    if faults:
        print(f'layering: {len(faults)} upward include(s) in {checked} files')
        return 1
    print(f'layering: {checked} files, every include goes down')
    return 0


if __name__ == '__main__':
    sys.exit(main())
