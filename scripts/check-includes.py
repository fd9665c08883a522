#!/usr/bin/env python3
"""Checks the project's include rules on every tracked C++ file (a second or so).

A file includes only headers of its own layer and public headers of the layers
below it:

  platform/ (non-window services) -> platform/* (window system, GDI, text ...)
  -> classlib/ (non-display services) -> classlib/* (controls, graphics ...)
  -> storage/, datatree/, skin/ (each on its own) -> catalogue/ -> app/

storage/ and catalogue/ never reach the display: they see only the service
folders platform/ and classlib/ themselves. A header whose opening comment has
a line starting with "// Private to its folder" belongs to its folder alone;
only that folder and its own test folder (tests/<folder>/) include it.
A test folder follows the rules of the folder it tests and may also include
the test support (tests/) and the demos it drives (demo/); demo/, bench/ and
tools/ may use every layer. Exceptions, each with its reason, are listed in
scripts/include-exceptions.txt as "<including file> <included header>".

Exit status 0 when every include keeps the rules, 1 otherwise (one line per
broken rule, compiler style, so editors jump to it).
"""
import os
import re
import subprocess
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
EXCEPTIONS = os.path.join(ROOT, "scripts", "include-exceptions.txt")
PRIVATE_MARK = re.compile(r"^//\s*Private to its folder", re.M)
INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"')

SERVICES = ["platform", "classlib"]  # the folders themselves, not their sub-folders
PLATFORM = ["platform", "platform/"]
CLASSLIB = ["classlib", "classlib/"]
SKIN = ["skin", "skin/"]
# What each layer may include: a name ending in "/" stands for every sub-folder.
LAYERS = [
    ("platform/", PLATFORM),
    ("platform", ["platform"]),
    ("classlib/", PLATFORM + CLASSLIB),
    ("classlib", ["platform", "classlib"]),
    ("storage", SERVICES + ["storage"]),
    ("catalogue", SERVICES + ["storage", "catalogue"]),
    ("datatree", PLATFORM + CLASSLIB + ["datatree"]),
    ("skin/", PLATFORM + CLASSLIB + SKIN),
    ("skin", PLATFORM + CLASSLIB + SKIN),
    ("app", None),  # None: every layer
    ("demo", None),
    ("bench", None),
    ("tools", None),
]


def layer_of(folder):
    """The rule of the folder: (layer name, allowed folders or None for all)."""
    for name, allowed in LAYERS:
        if name.endswith("/"):
            if folder.startswith(name):
                return name, allowed
        elif folder == name or folder.startswith(name + "/"):
            return name, allowed
    return None, None


def folder_allowed(target_folder, allowed):
    for a in allowed:
        if a.endswith("/"):
            if target_folder.startswith(a):
                return True
        elif target_folder == a:
            return True
    return False


def tracked_files():
    try:
        out = subprocess.run(["git", "ls-files", "*.cpp", "*.h"], cwd=ROOT, check=True,
                             capture_output=True, text=True).stdout
        return out.split()
    except (OSError, subprocess.CalledProcessError):
        files = []
        for d, _, names in os.walk(ROOT):
            if "/build" in d or "/.git" in d:
                continue
            files += [os.path.relpath(os.path.join(d, n), ROOT) for n in names if n.endswith((".cpp", ".h"))]
        return files


def read(path):
    with open(os.path.join(ROOT, path), encoding="utf-8", errors="replace") as f:
        return f.read()


def load_exceptions():
    pairs = set()
    if os.path.exists(EXCEPTIONS):
        for line in read(os.path.relpath(EXCEPTIONS, ROOT)).splitlines():
            line = line.split("#", 1)[0].split()
            if len(line) == 2:
                pairs.add((line[0], line[1]))
    return pairs


def resolve(includer, name, files):
    """The tracked file an include names (beside the includer first, then from the root)."""
    local = os.path.normpath(os.path.join(os.path.dirname(includer), name))
    if local in files:
        return local
    return name if name in files else None  # generated or system headers are not ours to check


def check_one(includer, target, private, problems):
    src, dst = os.path.dirname(includer), os.path.dirname(target)
    tested = src[len("tests/"):] if src.startswith("tests/") else None
    if target.startswith("tests/") and tested is None:
        problems.append(f"includes test support {target}; only tests/ may")
        return
    if target in private and dst != src and dst != tested:
        problems.append(f"includes {target}, which is private to {dst}/")
        return
    if tested is not None:
        if dst.startswith("tests/") or dst == "demo" or dst.startswith("demo/") or tested == "common":
            return
        src = tested
    name, allowed = layer_of(src)
    if name is None or allowed is None:
        return
    if not folder_allowed(dst, allowed):
        problems.append(f"includes {target}: the {src}/ folder may not use {dst}/ "
                        f"(allowed: {', '.join(a + ('*' if a.endswith('/') else '/') for a in allowed)})")


def main():
    files = set(tracked_files())
    private = {f for f in files if f.endswith(".h") and PRIVATE_MARK.search(read(f)[:2000])}
    exceptions = load_exceptions()
    used_exceptions = set()
    failures = 0
    for includer in sorted(files):
        for number, line in enumerate(read(includer).splitlines(), 1):
            m = INCLUDE.match(line)
            if not m:
                continue
            target = resolve(includer, m.group(1), files)
            if target is None:
                continue
            problems = []
            check_one(includer, target, private, problems)
            if problems and (includer, target) in exceptions:
                used_exceptions.add((includer, target))
                continue
            for p in problems:
                print(f"{includer}:{number}: {p}")
                failures += 1
    for includer, target in sorted(exceptions - used_exceptions):
        print(f"{os.path.relpath(EXCEPTIONS, ROOT)}: '{includer} {target}' is no longer needed: remove it")
        failures += 1
    if failures:
        print(f"include rules: {failures} problem(s); see scripts/check-includes.py for the rules")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
