#!/usr/bin/env python3
"""Fails on any #include "..." or library link that goes against src/layers.txt.

   LayeringTest.py REPO
"""
import os
import re
import sys

repo = sys.argv[1]
src = os.path.join(repo, "src")


def read_table():
    layers, private, section = {}, {}, None
    for raw in open(os.path.join(src, "layers.txt"), encoding="utf-8"):
        line = raw.split("#", 1)[0].strip()
        if not line:
            continue
        if line.startswith("["):
            section = line.strip("[]")
            continue
        name, _, deps = line.partition("=")
        (layers if section == "layers" else private)[name.strip()] = set(deps.split())
    return layers, private


layers, private = read_table()
folders = set(layers)
problems = []


def allowed_for(where):
    """(folders this file may include, the owner folder) for a path relative to the repo."""
    top, _, rest = where.partition("/")
    if top == "src" and "/" in rest:
        owner = rest.split("/", 1)[0]
        return layers.get(owner, set()) | {owner}, owner, False
    if top == "tests":
        owner = rest.split("/", 1)[0]
        if owner == "support":
            return {"support", "io", "session"}, owner, True
        return layers.get(owner, set(folders)) | {owner, "support"}, owner, True
    return set(folders) | {"support"}, None, True  # main.cpp, bench/, resources/: on top of everything


include = re.compile(r'^\s*#\s*include\s+"([^"]+)"')
for base in ("src", "tests", "bench", "resources"):
    for dirpath, _, names in os.walk(os.path.join(repo, base)):
        for name in names:
            if not name.endswith((".h", ".cpp")):
                continue
            path = os.path.join(dirpath, name)
            where = os.path.relpath(path, repo)
            may, owner, is_test = allowed_for(where)
            for number, text in enumerate(open(path, encoding="utf-8", errors="replace"), 1):
                m = include.match(text)
                if not m or "/" not in m.group(1):
                    continue
                target = m.group(1)
                folder = target.split("/", 1)[0]
                if where.startswith("src/platform/") and folder in ("linux", "macos", "fake"):
                    folder, target = "platform", "platform/" + target
                if folder not in folders and folder != "support":
                    problems.append(f"{where}:{number} includes {target}: no such layer in src/layers.txt")
                    continue
                if folder not in may:
                    problems.append(f"{where}:{number} includes {target}: {owner or 'this file'} may include "
                                    f"{' '.join(sorted(may - {owner})) or 'nothing'} (src/layers.txt)")
                    continue
                for corner, outsiders in private.items():
                    if not target.startswith(corner + "/"):
                        continue
                    inside = where.startswith("src/" + corner.split("/")[0] + "/") or (
                        is_test and owner == corner.split("/")[0])
                    if not (inside or owner in outsiders or (is_test and corner == "platform/fake")):
                        problems.append(f"{where}:{number} includes {target}: {corner} is private "
                                        f"(src/layers.txt)")

# Each library links only what its folder may include.
link = re.compile(r"\bfraymark_([a-z_]+)\b")
for folder in folders:
    cmake = os.path.join(src, folder, "CMakeLists.txt")
    if not os.path.exists(cmake):
        problems.append(f"src/{folder}: listed in src/layers.txt but has no CMakeLists.txt")
        continue
    for number, text in enumerate(open(cmake, encoding="utf-8"), 1):
        for dep in link.findall(text.split("#", 1)[0]):
            if dep in (folder, "warnings", "library"):
                continue
            if dep not in layers[folder]:
                problems.append(f"src/{folder}/CMakeLists.txt:{number} links fraymark_{dep}: {folder} may "
                                f"use {' '.join(sorted(layers[folder])) or 'nothing'} (src/layers.txt)")

for p in problems:
    print(p)
if problems:
    print(f"{len(problems)} wrong-way dependencies")
    sys.exit(1)
print("layering: every include and link goes downwards")
