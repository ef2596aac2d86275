"""The include rules hold in the sources, and the check finds a wrong-way include."""

import os
import tempfile
import unittest

import include_rules

SOURCE_DIR = os.environ.get("VV_SOURCE_DIR") or os.path.join(
    os.path.dirname(os.path.abspath(__file__)), "..", "..")


def tree(files):
    """A temporary src/ holding `files` (path: text)."""
    root = tempfile.TemporaryDirectory(prefix="vv-includes-")
    for path, text in files.items():
        full = os.path.join(root.name, path)
        os.makedirs(os.path.dirname(full), exist_ok=True)
        with open(full, "w", encoding="utf-8") as out:
            out.write(text)
    return root


class IncludeRules(unittest.TestCase):
    def test_the_sources_keep_every_rule(self):
        self.assertEqual(include_rules.violations(os.path.join(SOURCE_DIR, "src")), [])

    def test_wrong_way_includes_are_found(self):
        with tree({
            "recognition/A.cpp": '#include "reading/PageReader.h"\n#include <QString>\n',
            "reading/B.h": '#include <vector>\n  #  include <tesseract/baseapi.h>\n'
                           '#include "recognition/ScanRules.h"\n',
            "reading/C.cpp": '#include "platform/ocr/OwnedPix.h"\n#include <QtCore/QObject>\n',
            "platform/D.h": '#include "services/Screen.h"\n#include "app/StatusLine.h"\n',
            "overlay/F.cpp": '#include "services/WindowPlacement.h"\n'
                             '#include "platform/x11/X11Backend.h"\n',
            "services/G.h": '#include "capture/DisplaySnapshotter.h"\n',
            "platform/ocr/E.cpp": '#include "app/VizoviVevoApp.h"\n#include "reading/Strip.h"\n',
        }) as src:
            found = sorted((path, number) for path, number, _ in include_rules.violations(src))
        self.assertEqual(found, [
            ("overlay/F.cpp", 2), ("platform/D.h", 2), ("platform/ocr/E.cpp", 1),
            ("reading/B.h", 2), ("reading/C.cpp", 1), ("reading/C.cpp", 2), ("recognition/A.cpp", 1),
            ("recognition/A.cpp", 2), ("services/G.h", 1)])


if __name__ == "__main__":
    unittest.main()
