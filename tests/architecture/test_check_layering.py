#!/usr/bin/env python3
"""Proves that check_layering.py still bites: a copy of src/ passes as it is and fails with the
right complaint once a bad include or a bad link is planted in it.

Usage: test_check_layering.py SRC-DIR QT-INCLUDE-DIR
"""
import contextlib
import io
import pathlib
import shutil
import sys
import tempfile
import unittest

import check_layering

SRC = pathlib.Path()
QT_INCLUDE = pathlib.Path()

# (what is planted, the file it goes into below src/, the text added at its end, the complaint)
PLANTED = [
    ("a widget in the simulation", "simulation/Generator.cpp", "#include <QWidget>\n",
     "simulation/Generator.cpp:{line}: simulation must not include <QWidget> of QtWidgets"),
    ("Svg by its module's path in the presentation", "presentation/FormatText.cpp",
     "#include <QtSvg/QSvgGenerator>\n",
     "presentation/FormatText.cpp:{line}: presentation must not include "
     "<QtSvg/QSvgGenerator> of QtSvg"),
    ("Qt Core in the statistics", "statistics/ChiSquare.cpp", "#include <QString>\n",
     "statistics/ChiSquare.cpp:{line}: statistics must not include <QString> of QtCore"),
    ("the grid in the field", "ui/field/NumberField.cpp", '#include "ui/grid/ResultGrid.h"\n',
     "ui/field/NumberField.cpp:{line}: ui/field must not include ui/grid/ResultGrid.h"),
    ("the desktop in the presentation", "presentation/FormatSettings.cpp",
     '#include "platform/desktop/Fonts.h"\n',
     "presentation/FormatSettings.cpp:{line}: presentation must not include "
     "platform/desktop/Fonts.h"),
    ("Qt Widgets linked by the simulation", "simulation/CMakeLists.txt",
     "target_link_libraries(triebwerke_simulation PRIVATE Qt6::Widgets)\n",
     "simulation/CMakeLists.txt: simulation must not link Qt6::Widgets"),
    ("the chart linked by the program", "app/CMakeLists.txt",
     "target_link_libraries(Triebwerke\n    PRIVATE\n        triebwerke_chart)\n",
     "app/CMakeLists.txt: app must not link triebwerke_chart (chart)"),
    ("the desktop linked by the presentation", "presentation/CMakeLists.txt",
     "target_link_libraries(triebwerke_presentation PUBLIC triebwerke_desktop) # fonts\n",
     "presentation/CMakeLists.txt: presentation must not link triebwerke_desktop "
     "(platform/desktop)"),
    ("a library of nobody's", "statistics/CMakeLists.txt",
     "target_link_libraries(triebwerke_statistics PRIVATE somewhere_else)\n",
     "statistics/CMakeLists.txt: triebwerke_statistics links somewhere_else, which is neither a "
     "room's library nor a Qt module"),
    ("a file outside the rooms", "ui/Stray.cpp", "int stray;\n",
     "ui/Stray.cpp: lies in no room (src/ui holds only its rooms)"),
]


def check(src: pathlib.Path) -> tuple[int, list[str]]:
    errors = io.StringIO()
    with contextlib.redirect_stderr(errors):
        code = check_layering.main(["check_layering.py", str(src), str(QT_INCLUDE)])
    return code, errors.getvalue().splitlines()


class PlantedViolations(unittest.TestCase):
    def setUp(self):
        self.directory = tempfile.TemporaryDirectory()
        self.src = pathlib.Path(self.directory.name) / "src"
        shutil.copytree(SRC, self.src)

    def tearDown(self):
        self.directory.cleanup()

    def test_the_tree_as_it_is_passes(self):
        self.assertEqual(check(self.src), (0, []))

    def test_each_planted_violation_is_named(self):
        for what, file, text, complaint in PLANTED:
            with self.subTest(what):
                target = self.src / file
                original = target.read_text(encoding="utf-8") if target.exists() else ""
                target.write_text(original + text, encoding="utf-8")
                try:
                    line = original.count("\n") + 1
                    self.assertEqual(check(self.src), (1, [complaint.format(line=line)]))
                finally:
                    if original:
                        target.write_text(original, encoding="utf-8")
                    else:
                        target.unlink()


if __name__ == "__main__":
    SRC = pathlib.Path(sys.argv[1])
    QT_INCLUDE = pathlib.Path(sys.argv[2])
    unittest.main(argv=sys.argv[:1])
