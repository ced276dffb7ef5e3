#!/usr/bin/env python3
"""The project's own check of its two layers, run by `make test`.

usage: tools/layers.py [SRC_DIR]   (default: src beside this folder)

Fails when a folder includes another that includes it back (directly or
through a chain), when the core includes a window header, or when the core
includes anything of the GUI layer. Prints the folder graph.
"""
import os, re, sys
from collections import defaultdict

root = os.path.normpath(sys.argv[1] if len(sys.argv) > 1 else
                        os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "src"))
include = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]', re.M)
# Qt modules the core must not reach: widgets, and the GUI module under them.
gui_modules = ("QtWidgets", "QtGui", "QtSvg", "QtCharts", "QtSvgWidgets")
# The item models (QAbstractTableModel ...) are Qt Core, their views are not.
widget_header = re.compile(r"^Q(Widget|Dialog|MainWindow|Label|LineEdit|PushButton|Abstract(?!\w*Model$)\w*|Application|"
                           r"MessageBox|FileDialog|Layout|\w*Layout|ComboBox|TextEdit|Painter|Pixmap|Image|Icon|"
                           r"Font|Color|Palette|Screen|GuiApplication|Window|Accessible\w*|Chart\w*|TableView|"
                           r"TabWidget|Calendar\w*|StatusBar|UndoStack|KeyEvent|MouseEvent)$")

edges, problems = defaultdict(int), []
for d, _, names in os.walk(root):
    for n in sorted(names):
        if not n.endswith((".h", ".cpp")):
            continue
        path = os.path.join(d, n)
        here = os.path.relpath(d, root)
        text = open(path, encoding="utf-8", errors="replace").read()
        for kind, target in include.findall(text):
            if kind == '"':
                folder = os.path.dirname(target)
                if folder and os.path.isdir(os.path.join(root, folder)) and folder != here:
                    edges[(here, folder)] += 1
                if here.startswith("core") and target.startswith("gui/"):
                    problems.append(f"{os.path.relpath(path, root)}: the core includes the GUI layer ({target})")
            elif here.startswith("core"):
                module = target.split("/")[0]
                if module in gui_modules or widget_header.match(os.path.basename(target)):
                    problems.append(f"{os.path.relpath(path, root)}: the core includes a window header <{target}>")

graph = defaultdict(set)
for a, b in edges:
    graph[a].add(b)
cycles, state = [], {}


def visit(node, path):
    state[node] = "open"
    for nxt in sorted(graph[node]):
        if state.get(nxt) == "open":
            cycles.append(path[path.index(nxt):] + [nxt])
        elif nxt not in state:
            visit(nxt, path + [nxt])
    state[node] = "done"


for node in sorted({x for e in edges for x in e}):
    if node not in state:
        visit(node, [node])

print(f"include graph of {root}:")
for (a, b), n in sorted(edges.items()):
    print(f"  {a} -> {b} ({n})")
for c in cycles:
    problems.append("folders include each other: " + " -> ".join(c))
for p in problems:
    print("error:", p)
print("layers: ok" if not problems else f"layers: {len(problems)} problem(s)")
sys.exit(1 if problems else 0)
