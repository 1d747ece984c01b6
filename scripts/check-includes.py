#!/usr/bin/env python3
"""check-includes.py [ROOT] - fails when an include or a CMake link runs against the stated direction.

The direction is stated here, once, in ORDER: the plug-in's layers and then the host's rooms,
each bottom up, each with what it may use. It does not come from the CMake links: the links
are checked against it like the includes are. Every #include of the product's folders is read,
quoted or in angle brackets, resolved the way the compiler would (the including file's folder
for a quoted name, then the project root, and for the host also host/), and refused when it
reaches a unit the including unit may not use. Every target_link_libraries of a unit's target,
wherever it is written, is refused when it links a unit's target that its unit may not use; so
is a test whose sources all lie in one room's test folder (tests/host/galaxy/...) and that links
what that room may not use.
CMake comments are no links. A lower unit may see an upper declaration only by an entry in
EXCEPTIONS, which names the file, the header and why. The includes of tests, benchmarks and
fuzzers are not read: they may use anything.
"""
import os
import re
import sys

# unit (folder), its CMake target, the units it may use. Bottom up: a unit names only units
# above it in this table, so a row can never permit an upward use.
ORDER = [
    ("platform", "TarvenixFramework", ""),
    ("cells", "TarvenixCells", "platform"),
    ("context", "TarvenixContext", "cells platform"),
    ("relay", "TarvenixRelay", "context cells platform"),
    ("ui", "TarvenixUi", "relay context platform"),
    ("plugin", "TarvenixPlugin", "ui relay context cells platform"),
    # The host reaches the plug-in through its exports alone: of the layers, only platform.
    ("host/text", "TarvenixHostText", "platform"),
    ("host/files", "TarvenixHostFiles", "host/text platform"),
    ("host/json", "TarvenixHostJson", "host/files host/text platform"),
    ("host/galaxy", "TarvenixHostGalaxy", "host/json host/files host/text platform"),
    ("host/answer", "TarvenixHostAnswer", "host/galaxy host/json host/files host/text platform"),
    ("host/session", "TarvenixHostSession",
     "host/answer host/galaxy host/json host/files host/text platform"),
    ("host/review", "TarvenixHostReview", "host/answer host/galaxy host/json host/files host/text platform"),
    ("host/campaign", "TarvenixHostCampaign",
     "host/review host/session host/answer host/galaxy host/json host/files host/text platform"),
    ("host/views", "TarvenixHostViews",
     "host/campaign host/review host/session host/answer host/galaxy host/json host/files host/text platform"),
    ("host/cli", "TarvenixHostCli",
     "host/views host/campaign host/review host/session host/answer host/galaxy host/json host/files host/text platform"),
    # The program itself: host/main.cpp.
    ("host", "tarvenix-host",
     "host/cli host/views host/campaign host/review host/session host/answer host/galaxy host/json host/files host/text platform"),
]

# (including file, included header): why the lower unit may see this upper declaration.
EXCEPTIONS = {
    ("relay/DistributeGroupCommand.cpp", "plugin/PluginApp.h"):
        "the command handler defines PluginApp::OnUserCommand beside the relay dispatch; "
        "it is built into TarvenixPlugin, above the application and the dialog",
    ("relay/DistributeGroupCommand.cpp", "plugin/resource.h"):
        "the command handler names the string-table ids that the resource script defines",
    ("relay/PlannerThread.cpp", "ui/SendProgressDialog.h"):
        "the worker posts to the window the context points at, and needs its handle's accessor",
    ("ui/SendProgressDialog.cpp", "plugin/resource.h"):
        "the dialog names its template and control ids, which the resource script defines",
}

SOURCE_SUFFIXES = (".h", ".hpp", ".cpp", ".in", ".rc", ".rc2")
INCLUDE = re.compile(r'^\s*#\s*include\s*(.*)$')
INCLUDE_NAME = re.compile(r'^(?:"([^"]+)"|<([^>]+)>)')
CALLS = re.compile(r'\b(target_link_libraries|tarvenix_add_test)\s*\(')
# Bracket comments (#[[ ... ]], #[=[ ... ]=]) and line comments, outside quoted arguments.
CMAKE_COMMENT = re.compile(r'"(?:\\.|[^"\\])*"|#\[(=*)\[.*?\]\1\]|#[^\n]*', re.S)


class Units:
    def __init__(self):
        self.may_use = {}
        self.target_unit = {}
        for unit, target, uses in ORDER:
            used = uses.split()
            for name in used:
                if name not in self.may_use:
                    raise SystemExit(f"check-includes: ORDER row '{unit}' uses '{name}', which is not above it")
            self.may_use[unit] = set(used)
            self.target_unit[target] = unit

    def permits(self, unit, used):
        return used == unit or used in self.may_use[unit]

    def uses_text(self, unit):
        return " ".join(name for name, _, _ in ORDER if name in self.may_use[unit]) or "nothing"

    def of_path(self, path):
        """The unit a root-relative path lies in: the deepest table folder holding it, or None."""
        parts = path.split("/")
        for depth in (2, 1):
            folder = "/".join(parts[:depth])
            if len(parts) > depth and folder in self.may_use:
                # A folder that holds units of its own (host/) holds no other folders.
                holds_units = any(unit.startswith(folder + "/") for unit in self.may_use)
                return None if holds_units and len(parts) > depth + 1 else folder
        return None


def cmake_without_comments(text):
    def blank(match):
        kept = match.group(0)
        return kept if kept.startswith('"') else re.sub(r'[^\n]', ' ', kept)
    return CMAKE_COMMENT.sub(blank, text)


class Check:
    def __init__(self, root):
        self.root = root
        self.units = Units()
        self.faults = 0
        self.excepted = set()

    def fault(self, place, text):
        print(f"{place}: {text}")
        self.faults += 1

    def include_roots(self, unit):
        return ["", "host/"] if unit.startswith("host") else [""]

    def resolve(self, name, quoted, including, unit):
        """The root-relative path the compiler would open, or the unit the name reaches, or None."""
        folders = [os.path.dirname(including) + "/"] if quoted else []
        for folder in folders + self.include_roots(unit):
            candidate = os.path.normpath(folder + name)
            if not candidate.startswith("..") and os.path.isfile(os.path.join(self.root, candidate)):
                return candidate
        # Not in the tree (a generated header, a misspelt one): judged by the folder it names.
        for folder in self.include_roots(unit) if "/" in name else []:
            reached = self.units.of_path(os.path.normpath(folder + name))
            if reached:
                return folder + name
        return None

    def check_include(self, place, including, unit, line):
        spelled = line.strip()
        match = INCLUDE_NAME.match(spelled)
        if not match:
            self.fault(place, f"'#include {spelled}' is not a plain name, so its direction cannot be checked")
            return
        quoted = match.group(1) is not None
        name = match.group(1) or match.group(2)
        shown = f'"{name}"' if quoted else f"<{name}>"
        path = self.resolve(name, quoted, including, unit)
        if path is None:
            return  # the standard library or a third-party header
        reached = self.units.of_path(path)
        if reached is None:
            self.fault(place, f"includes {shown}: it reaches {path}, outside the product's folders")
        elif quoted and "/" not in name:
            self.fault(place, f"includes {shown}: a project include names its folder ({path})")
        elif (including, path) in EXCEPTIONS:
            self.excepted.add((including, path))
        elif not self.units.permits(unit, reached):
            self.fault(place, f"includes {shown}: {unit} may not use {reached} "
                              f"(it may use: {self.units.uses_text(unit)})")

    def check_sources(self):
        for folder, _, _ in ORDER:
            top = os.path.join(self.root, folder)
            for directory, subfolders, files in os.walk(top):
                subfolders.sort()
                for file in sorted(files):
                    if not file.endswith(SOURCE_SUFFIXES):
                        continue
                    path = os.path.relpath(os.path.join(directory, file), self.root).replace(os.sep, "/")
                    unit = self.units.of_path(path)
                    if unit != folder:
                        if unit is None:
                            self.fault(path, "lies in a folder that the unit table does not name")
                        continue  # read under its own unit
                    self.check_file(path, unit)

    def check_file(self, path, unit):
        with open(os.path.join(self.root, path), encoding="utf-8", errors="replace") as source:
            for number, text in enumerate(source, 1):
                found = INCLUDE.match(text)
                if found:
                    self.check_include(f"{path}:{number}", path, unit, found.group(1))

    def cmake_files(self):
        for directory, subfolders, files in os.walk(self.root):
            # Build trees and hidden folders hold no written CMake of ours.
            subfolders[:] = sorted(name for name in subfolders if not name.startswith(".")
                                   and not os.path.isfile(os.path.join(directory, name, "CMakeCache.txt")))
            for file in sorted(files):
                if file == "CMakeLists.txt" or file.endswith(".cmake"):
                    yield os.path.relpath(os.path.join(directory, file), self.root).replace(os.sep, "/")

    def check_links(self):
        for path in self.cmake_files():
            with open(os.path.join(self.root, path), encoding="utf-8", errors="replace") as file:
                text = cmake_without_comments(file.read())
            for call in CALLS.finditer(text):
                arguments = call_arguments(text, call.end())
                if not arguments:
                    continue
                place = f"{path}:{text.count(chr(10), 0, call.start()) + 1}"
                if call.group(1) == "tarvenix_add_test":
                    self.check_test_links(place, os.path.dirname(path), arguments)
                    continue
                linking = arguments[0]
                unit = self.units.target_unit.get(linking) or self.units.of_path(path)
                if unit is not None:  # else a test, benchmark or fuzzer's own target
                    self.check_linked(place, linking, unit, arguments[1:])

    def check_test_links(self, place, folder, arguments):
        """A test whose sources all lie in one host room's test folder links only what that room may use.
        The plug-in's tests may drive it through the host's rooms: the host answers as the game would."""
        libraries = arguments.index("LIBS") if "LIBS" in arguments else len(arguments)
        units = {self.units.of_path(os.path.normpath(f"{folder}/{source}").removeprefix("tests/"))
                 for source in arguments[1:libraries] if source.endswith(".cpp")}
        if len(units) == 1 and None not in units and next(iter(units)).startswith("host/"):
            self.check_linked(place, f"test {arguments[0]}", units.pop(), arguments[libraries:])

    def check_linked(self, place, linking, unit, items):
        for target, reached in self.units.target_unit.items():
            if any(re.search(rf'(?<![\w-]){re.escape(target)}(?![\w-])', item) for item in items) \
                    and not self.units.permits(unit, reached):
                self.fault(place, f"{linking} links {target}: {unit} may not use {reached} "
                                  f"(it may use: {self.units.uses_text(unit)})")


def call_arguments(text, start):
    """The whitespace-separated arguments of a CMake call whose '(' ends just before `start`."""
    depth = 1
    for end in range(start, len(text)):
        depth += {"(": 1, ")": -1}.get(text[end], 0)
        if depth == 0:
            return text[start:end].split()
    return []


def main():
    root = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), ".."))
    check = Check(root)
    check.check_sources()
    check.check_links()
    for file, header in sorted(EXCEPTIONS.keys() - check.excepted):
        check.fault(file, f"an exception for \"{header}\", which the file no longer includes: remove it")
    if check.faults:
        print(f"check-includes: {check.faults} include(s) or link(s) against the direction")
        return 1
    print("check-includes: every include and link runs with the direction")
    return 0


if __name__ == "__main__":
    sys.exit(main())
