#!/usr/bin/env python3
"""Prints "<key> <source>" for each source on stdin: what its clang-tidy result depends on, hashed.

A source's key covers the common inputs (argv[4]: clang-tidy, .clang-tidy, its arguments, the packages),
its own compile command, its bytes, and the bytes of every header of the tree or of the build that it
includes, as the build's last compile recorded them (`ninja -t deps` in BUILD). A source the
build has no record of depends on every header of the tree. Paths are taken relative to the tree, so
that another clone of the same tree finds the same keys.

Usage: lint-keys.py ROOT BUILD DATABASE_JSON COMMON_KEY <sources >keys
"""
import hashlib
import json
import os
import subprocess
import sys

root, build, database, common = sys.argv[1:5]
root, build = os.path.abspath(root), os.path.abspath(build)
digests = {}


def digest(path):
    if path not in digests:
        try:
            with open(path, "rb") as f:
                digests[path] = hashlib.sha256(f.read()).hexdigest()
        except OSError:
            digests[path] = "missing"
    return digests[path]


def relative(path):
    return os.path.relpath(path, root)


def recorded_includes():
    """Each compiled source's includes inside the tree, from ninja's record of the last build."""
    out = subprocess.run(["ninja", "-C", build, "-t", "deps"], capture_output=True, text=True).stdout
    includes, current = {}, None
    for line in out.splitlines():
        if not line.startswith(" "):
            current = None
            continue
        path = os.path.normpath(os.path.join(build, line.strip()))
        if current is None:
            current = includes.setdefault(path, set())
        elif path.startswith(root + os.sep) and "cmake_pch" not in path:
            current.add(path)
    return includes


commands = {}
for entry in json.load(open(database)):
    command = entry.get("command") or " ".join(entry.get("arguments", []))
    commands[os.path.normpath(entry["file"])] = command.replace(root, "@ROOT@")
includes = recorded_includes()
every_header = None
for source in sys.stdin.read().split():
    headers = includes.get(source)
    if headers is None:
        if every_header is None:
            listed = subprocess.run(["git", "-C", root, "ls-files", "*.h"], capture_output=True, text=True).stdout
            every_header = {os.path.join(root, name) for name in listed.split()}
        headers = every_header
    parts = [common, commands.get(source, ""), relative(source), digest(source)]
    parts += [relative(h) + " " + digest(h) for h in sorted(headers, key=relative)]
    print(hashlib.sha256("\n".join(parts).encode()).hexdigest(), source)
