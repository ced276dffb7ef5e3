#!/usr/bin/env python3
"""Fault injection: does a one-line mistake in the program make a test fail?

usage: tools/faults.py [BUILD_DIR] [NAME_FILTER]      (default build-faults)

TANKO_FAULTS_FILE names another list of faults (default tools/faults.txt).
Each fault in tools/faults.txt names a file, a line as it stands (a unique
substring of it), the line as a careless edit would leave it, and the CTest
name pattern of the tests expected to catch it. Every fault is applied in
turn to the working tree, built, the tests run, and the file put back, even
on Ctrl-C. A fault that no test catches fails the run.
"""
import os, re, subprocess, sys

root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
build = os.path.join(root, sys.argv[1] if len(sys.argv) > 1 else "build-faults")
only = sys.argv[2] if len(sys.argv) > 2 else ""


def faults():
    listed = os.environ.get("TANKO_FAULTS_FILE") or os.path.join(root, "tools", "faults.txt")
    text = open(os.path.join(root, listed), encoding="utf-8").read()
    for block in re.split(r"\n-{3,}\n", text):
        fields = {}
        for line in block.splitlines():
            if line.startswith("#") or ":" not in line:
                continue
            key, value = line.split(":", 1)
            fields[key.strip()] = value.strip()
        if fields:
            yield fields


def run(cmd, **kw):
    return subprocess.run(cmd, cwd=build, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True, **kw)


os.makedirs(build, exist_ok=True)
if not os.path.exists(os.path.join(build, "build.ninja")):
    subprocess.run(["cmake", "-S", root, "-B", build, "-G", "Ninja", "-DCMAKE_BUILD_TYPE=Debug"], check=True,
                   stdout=subprocess.DEVNULL)
missed, rows = [], []
for fault in faults():
    if only and only not in fault["name"]:
        continue
    path = os.path.join(root, fault["file"])
    original = open(path, encoding="utf-8").read()
    if original.count(fault["from"]) != 1:
        sys.exit(f"{fault['name']}: '{fault['from']}' is not found exactly once in {fault['file']}")
    try:
        open(path, "w", encoding="utf-8").write(original.replace(fault["from"], fault["to"]))
        built = run(["cmake", "--build", ".", "-j", str(os.cpu_count())])
        if built.returncode != 0:
            sys.exit(f"{fault['name']}: the fault does not build\n{built.stdout[-3000:]}")
        tests = run(["ctest", "-R", fault["tests"], "-LE", "slow", "-j", str(os.cpu_count())],
                    env=dict(os.environ, QT_QPA_PLATFORM="offscreen"))
        failed = re.findall(r"\d+ - (\S+) \(", tests.stdout)
    finally:
        open(path, "w", encoding="utf-8").write(original)
    caught = tests.returncode != 0 and failed
    rows.append((fault["name"], ", ".join(failed) if caught else "NOT CAUGHT"))
    print(f"{'caught' if caught else 'MISSED':7} {fault['name']}: {', '.join(failed)}", flush=True)
    if not caught:
        missed.append(fault["name"])
run(["cmake", "--build", ".", "-j", str(os.cpu_count())])
print(f"\n{len(rows) - len(missed)} of {len(rows)} faults caught")
sys.exit(1 if missed else 0)
