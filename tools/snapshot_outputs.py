#!/usr/bin/env python3
"""Every file MORVIT writes for the project's own inputs, gathered in one folder.

    python3 tools/snapshot_outputs.py MORVIT FOLDER

runs MORVIT on every stored conformance case, every example and the data sets of
tests/data/datasets (made into command files first), each with --table-csv, --cases-csv and
--html, and copies every file it wrote into FOLDER/<input>/, with the date and time lines of
the reports and pages masked. Two snapshots, before and after a change that must not change
any output, are compared with `diff -r BEFORE AFTER`.
"""
import json
import pathlib
import re
import shutil
import subprocess
import sys
import tempfile

ROOT = pathlib.Path(__file__).resolve().parent.parent
OUTPUTS = ["--table-csv", "table.csv", "--cases-csv", "cases.csv", "--html", "page.html"]

# The data sets with the arguments that make their command files.
DATASETS = {
    "lipset_1959_democracy": ["--outcome", "SURVIVED", "--factors", "DEVELOPED,URBAN,LITERATE,INDUSTRIAL,STABLE",
                              "--cases", "CASE"],
    "lipset_1959_raw": ["--outcome", "SURVIVED", "--factors", "DEVELOPED,URBAN,LITERATE,INDUSTRIAL,UNSTABLE",
                        "--cases", "CASE", "--calibrate", "SURVIVED=-9,0,10", "--calibrate", "DEVELOPED=400,550,900",
                        "--calibrate", "URBAN=25,50,65", "--calibrate", "LITERATE=50,75,90",
                        "--calibrate", "INDUSTRIAL=20,30,40", "--calibrate", "UNSTABLE=15,9.5,5"],
    "paykani_2018_health": ["--outcome", "HL", "--factors", "HE,GG,AH,HI,HW", "--cases", "COUNTRY"],
    "schneider_2010_exports": ["--outcome", "EXPORT", "--factors", "EMP,BARGAIN,UNI,OCCUP,STOCK,MA",
                               "--cases", "CASE"],
}

DATE_LINES = re.compile(rb"(SYSTEM DATE AND TIME:|MORVIT FINISHED ON)[ 0-9:AT-]*[0-9]")


def masked(data):
    return DATE_LINES.sub(rb"\1 <date>", data)


def keep(work, target, status, stderr):
    target.mkdir(parents=True, exist_ok=True)
    for path in sorted(work.rglob("*")):
        if path.is_file():
            destination = target / path.relative_to(work)
            destination.parent.mkdir(parents=True, exist_ok=True)
            destination.write_bytes(masked(path.read_bytes()))
    (target / "_status").write_text(f"{status}\n" + stderr.replace(str(work), "<work>"))


def run(command, cwd):
    done = subprocess.run(command, cwd=cwd, capture_output=True, text=True, timeout=600)
    return done.returncode, done.stderr


def main():
    morvit = str(pathlib.Path(sys.argv[1]).resolve())
    folder = pathlib.Path(sys.argv[2]).resolve()
    if folder.exists():
        shutil.rmtree(folder)
    cases = ROOT / "tests" / "data" / "conformance" / "cases"
    for case in sorted(cases.iterdir()):
        arguments = json.loads((case / "case.json").read_text())["args"]
        with tempfile.TemporaryDirectory() as work:
            work = pathlib.Path(work)
            shutil.copytree(case / "in", work, dirs_exist_ok=True)
            keep(work, folder / "cases" / case.name, *run([morvit, *OUTPUTS, *arguments], work))
    for example in sorted((ROOT / "examples").glob("*.cmd")):
        with tempfile.TemporaryDirectory() as work:
            work = pathlib.Path(work)
            shutil.copy(example, work)
            if pathlib.Path(str(example) + ".cases").exists():
                shutil.copy(str(example) + ".cases", work)
            keep(work, folder / "examples" / example.stem, *run([morvit, *OUTPUTS, example.name], work))
    for name, arguments in DATASETS.items():
        with tempfile.TemporaryDirectory() as work:
            work = pathlib.Path(work)
            shutil.copy(ROOT / "tests" / "data" / "datasets" / f"{name}.csv", work)
            status, stderr = run([morvit, "--make-command-file", f"{name}.csv", *arguments, "-o", "run.cmd"], work)
            if status == 0:
                status, more = run([morvit, *OUTPUTS, "run.cmd"], work)
                stderr += more
            keep(work, folder / "datasets" / name, status, stderr)


if __name__ == "__main__":
    main()
