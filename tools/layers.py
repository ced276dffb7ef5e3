#!/usr/bin/env python3
"""The project's own check of its shape, run by `make test`.

usage: tools/layers.py [SRC_DIR]   (default: src beside this folder)

Fails when
- a folder includes another that includes it back (directly or through a chain);
- the core includes a window header or anything of the GUI layer, or names a
  widget type at all, a forward declaration included;
- code reaches data through a process-wide accessor (the old facade, a current
  store, global user and language, global services) anywhere but start-up;
- a stored key of the fill-ups, the currencies or the users is spelled outside
  the one owner of that data;
- a source file is over 500 lines, or a function over 60.
Prints the folder graph.
"""
import os, re, sys
from collections import defaultdict

root = os.path.normpath(sys.argv[1] if len(sys.argv) > 1 else
                        os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "src"))
include = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]', re.M)
# Qt modules the core must not reach: widgets, and the GUI module under them.
gui_modules = ("QtWidgets", "QtGui", "QtSvg", "QtCharts", "QtSvgWidgets")
# The item models (QAbstractTableModel ...) are Qt Core, their views are not.
widget_type = (r"Q(Widget|Dialog|MainWindow|Label|LineEdit|PushButton|Abstract(?!\w*Model\b)\w*|Application|"
               r"MessageBox|FileDialog|Layout|\w*Layout|ComboBox|TextEdit|PlainTextEdit|Painter|Pixmap|Image|Icon|"
               r"Font|Color|Palette|Screen|GuiApplication|Window|Accessible\w*|Chart\w*|TableView|TabWidget|"
               r"Calendar\w*|StatusBar|UndoStack|KeyEvent|MouseEvent|ShowEvent|CloseEvent|ProgressDialog|"
               r"RadioButton|CheckBox|Frame|GroupBox|ScrollArea|ToolTip|Shortcut)")
widget_header = re.compile(r"^" + widget_type + r"$")
widget_name = re.compile(r"\b" + widget_type + r"\b")

# Process-wide ways to data; start-up (src/main.cpp) may wire, nothing else.
globals_re = re.compile(r"\bSettingsStore::(current|setCurrent)\b|\bPlatform::services\b|\bModule1\b|"
                        r"\b(GetSetting|SaveSetting|DeleteSetting|LocalizedText|userLocale)\s*\(")
startup = {os.path.join("main.cpp")}

# Stored keys and the only files that may spell them.
owners = [
    # "Tanko" is also the application's name, spelled once beside the version.
    (re.compile(r"^(Date|Tanko|Pay|PayCom|Kms|Ltrs|TotEntry)$"), {"core/records/FillUpKeys.h", "core/frame/Titles.h"},
     "a fill-up key"),
    (re.compile(r"^(Dev|Taux|TauxBis|CurDev|AffCurrMess|Devises)$"), {"core/currency/Currencies.cpp"},
     "a currency key"),
    (re.compile(r"^(TotUsers|User|LastUser|Lang|LastPath|ImportColumns|ReportPlace|Option)$"), {"core/users/Users.cpp"},
     "a user-list key"),
]
literal = re.compile(r'(?:\bu|\bQStringLiteral\(|\bQLatin1String\()?"((?:[^"\\\n]|\\.)*)"')
MAX_FILE_LINES, MAX_FUNCTION_LINES = 500, 60


def without_comments(text):
    text = re.sub(r"/\*.*?\*/", lambda m: "\n" * m.group(0).count("\n"), text, flags=re.S)
    return re.sub(r"//[^\n]*", "", text)


def without_strings(text):
    return re.sub(r'"(?:[^"\\\n]|\\.)*"', '""', text)


# A function's body: a line that is "{" alone, after a line that closes a
# signature, up to the "}" at the same indentation (the project's clang-format
# puts a function's braces on lines of their own).
signature_end = re.compile(r"(\)\s*(const)?\s*(override)?\s*(noexcept)?|^\s*:.*)\s*$")


def long_functions(lines):
    i = 0
    while i < len(lines):
        if lines[i].strip() == "{" and i > 0 and signature_end.search(lines[i - 1]) \
                and not lines[i - 1].rstrip().endswith((";", ",")):
            indent = len(lines[i]) - len(lines[i].lstrip())
            j = i + 1
            while j < len(lines) and not (lines[j].startswith(" " * indent + "}")
                                          and len(lines[j]) - len(lines[j].lstrip()) == indent):
                j += 1
            if j - i + 1 > MAX_FUNCTION_LINES:
                yield i, j - i + 1
            i = j
        i += 1


edges, problems = defaultdict(int), []
for d, _, names in os.walk(root):
    for n in sorted(names):
        if not n.endswith((".h", ".cpp")):
            continue
        path = os.path.join(d, n)
        rel = os.path.relpath(path, root)
        here = os.path.relpath(d, root)
        text = open(path, encoding="utf-8", errors="replace").read()
        code = without_comments(text)
        lines = text.split("\n")
        for kind, target in include.findall(text):
            if kind == '"':
                folder = os.path.dirname(target)
                if folder and os.path.isdir(os.path.join(root, folder)) and folder != here:
                    edges[(here, folder)] += 1
                if here.startswith("core") and target.startswith("gui/"):
                    problems.append(f"{rel}: the core includes the GUI layer ({target})")
            elif here.startswith("core"):
                module = target.split("/")[0]
                if module in gui_modules or widget_header.match(os.path.basename(target)):
                    problems.append(f"{rel}: the core includes a window header <{target}>")
        if here.startswith("core"):
            for m in widget_name.finditer(without_strings(re.sub(include, "", code))):
                problems.append(f"{rel}: the core names the widget type {m.group(0)}")
        if rel not in startup:
            for m in globals_re.finditer(without_strings(code)):
                problems.append(f"{rel}: a process-wide accessor outside start-up ({m.group(0).strip('(')})")
        for key_re, allowed, what in owners:
            if rel in allowed:
                continue
            for m in literal.finditer(code):
                if key_re.match(m.group(1)):
                    problems.append(f"{rel}: {what} spelled outside its owner (\"{m.group(1)}\")")
        if len(lines) > MAX_FILE_LINES:
            problems.append(f"{rel}: {len(lines)} lines, more than {MAX_FILE_LINES}")
        for at, length in long_functions(lines):
            problems.append(f"{rel}:{at + 1}: a function of {length} lines, more than {MAX_FUNCTION_LINES}")

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
