#!/usr/bin/env python3
"""Fails when a folder includes or links a folder above it, or when a folder's tests do.

The layers, each using only those below it:
    foundation -> services, apparatus -> widgets -> video, propertyeditors -> experiments -> app
Folders on one level (services and apparatus; video and propertyeditors) do not use each other.
"""
import pathlib
import re
import sys

ROOT = pathlib.Path(__file__).resolve().parent.parent
BELOW = {
    "foundation": [],
    "services": ["foundation"],
    "apparatus": ["foundation"],
    "widgets": ["services", "apparatus"],
    "video": ["widgets"],
    "propertyeditors": ["widgets"],
    "experiments": ["video", "propertyeditors"],
    "app": ["experiments"],
}
# Upward uses the design asks for, each kept in one place: (including file, included header).
EXCEPTIONS = set()

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.MULTILINE)
SOURCES = ("*.h", "*.cpp")


def usable(folder):
    """The folder itself and every folder below it."""
    reach, todo = {folder}, list(BELOW[folder])
    while todo:
        lower = todo.pop()
        if lower not in reach:
            reach.add(lower)
            todo.extend(BELOW[lower])
    return reach


def sources(folder):
    return sorted(f for pattern in SOURCES for f in folder.rglob(pattern))


def includes(path):
    return INCLUDE.findall(path.read_text(encoding="utf-8", errors="replace"))


def header_owners():
    owners = {}
    for layer in BELOW:
        for header in (ROOT / layer).rglob("*.h") if (ROOT / layer).is_dir() else []:
            owners[header.name] = layer
    return owners


def highest(layers):
    """The one layer of a set that every other lies below (None when they are on different branches)."""
    for layer in layers:
        if all(other in usable(layer) for other in layers):
            return layer
    return None


def support_layers(owners):
    """Test helpers belong to the highest layer they use."""
    support = ROOT / "tests" / "support"
    used = {}
    for path in sources(support):
        used.setdefault(path.stem, set()).update(owners[h] for h in includes(path) if h in owners)
    return {stem + ".h": highest(layers | {"foundation"}) for stem, layers in used.items()}


def check_includes(owners, support, problems):
    for layer in BELOW:
        allowed = usable(layer)
        for base, kind in ((ROOT / layer, "code"), (ROOT / "tests" / layer, "tests")):
            if not base.is_dir():
                continue
            for path in sources(base):
                rel = path.relative_to(ROOT).as_posix()
                for header in includes(path):
                    owner = owners.get(header) or (support.get(header) if kind == "tests" else None)
                    if owner and owner not in allowed and (rel, header) not in EXCEPTIONS:
                        problems.append(f"{rel} includes {header} of {owner}/, above {layer}/")


LIBRARY = re.compile(r"kestrum_(testsupport_)?([a-z]+)")


def check_links(problems):
    root_cmake = (ROOT / "CMakeLists.txt").read_text()
    for call in re.finditer(r"(kestrum_library|target_link_libraries)\(\s*(?:kestrum_)?([a-z]+)([^)]*)\)", root_cmake):
        layer, deps = call.group(2), call.group(3)
        if layer in BELOW:
            report_links(f"kestrum_{layer}", layer, deps, problems)
    tests = ROOT / "tests"
    support_cmake = (tests / "CMakeLists.txt").read_text()
    for call in re.finditer(r"target_link_libraries\(\s*kestrum_testsupport_([a-z]+)([^)]*)\)", support_cmake):
        report_links(f"kestrum_testsupport_{call.group(1)}", call.group(1), call.group(2), problems)
    for layer in BELOW:
        cmake = tests / layer / "CMakeLists.txt"
        if cmake.exists():
            for call in re.finditer(r"kestrum_tests\(\s*([a-z]+)([^)]*)\)", cmake.read_text()):
                report_links(f"tests/{layer}", layer, call.group(2), problems)


def report_links(who, layer, deps, problems):
    for match in LIBRARY.finditer(deps):
        linked = match.group(2)
        if linked in BELOW and linked not in usable(layer):
            problems.append(f"{who} links kestrum_{match.group(1) or ''}{linked}, above {layer}/")


def main():
    owners = header_owners()
    problems = []
    check_includes(owners, support_layers(owners), problems)
    check_links(problems)
    for problem in problems:
        print(problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
