"""Which way the libraries may include each other's headers, checked on the #include lines.

Recognition is pure logic: it reaches neither the page reader, nor the platform, nor the window
toolkit, nor the engines. The page reader builds on recognition alone, without the toolkit or the
engines. The service interfaces sit below everything that uses or implements them. The capture
pipeline and the picker know the services, never which platform serves them; the platform's
adapters implement the services and do not reach into the app.
"""

import os
import re
import sys

QT = r"<Q[A-Za-z]*[/>]"
ENGINES = r"<(tesseract|leptonica|phonenumbers)/"


def project(*names):
    return r'"(' + "|".join(names) + r')/'


# (directory under src/, forbidden #include targets)
RULES = [
    ("recognition", [project("reading", "platform", "capture", "overlay", "selftest", "app"),
                     QT, ENGINES]),
    ("reading", [project("platform", "capture", "overlay", "selftest", "app"), QT, ENGINES]),
    ("services", [project("reading", "platform", "capture", "overlay", "selftest", "app")]),
    ("capture", [project("platform", "overlay", "app")]),
    ("overlay", [project("platform", "capture", "app")]),
    ("platform", [project("app")]),
]

INCLUDE = re.compile(r"^\s*#\s*include\s*([<\"][^>\"]+[>\"])")


def violations(src):
    """Every forbidden include under `src` as (file, line number, include)."""
    found = []
    for directory, forbidden in RULES:
        patterns = [re.compile(p) for p in forbidden]
        for root, _, files in os.walk(os.path.join(src, directory)):
            for name in sorted(files):
                if not name.endswith((".h", ".cpp")):
                    continue
                path = os.path.join(root, name)
                with open(path, encoding="utf-8") as source:
                    for number, line in enumerate(source, 1):
                        match = INCLUDE.match(line)
                        if match and any(p.match(match.group(1)) for p in patterns):
                            found.append((os.path.relpath(path, src), number, match.group(1)))
    return found


if __name__ == "__main__":
    problems = violations(sys.argv[1] if len(sys.argv) > 1 else "src")
    for path, number, target in problems:
        print(f"{path}:{number}: includes {target} across a forbidden edge")
    sys.exit(1 if problems else 0)
