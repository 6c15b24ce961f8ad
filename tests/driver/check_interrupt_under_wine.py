#!/usr/bin/env python3
"""Ctrl-C ends a Windows run as it ends any other: under Wine, which turns SIGINT into the
console's Ctrl-C event, the program reads a FIFO command file, is interrupted while it waits
for the next line, and must end with status 1, "Interrupt" on standard error, and a report
that holds exactly the lines written so far.

    check_interrupt_under_wine.py PROGRAM.exe --run-with EMULATOR...
"""
import fcntl
import os
import signal
import subprocess
import sys
import tempfile
import termios
import time


def program_process(program, directory):
    """The pid of the Windows program that runs in `directory`, once Wine has started it."""
    name = os.path.basename(program).encode()
    for pid in os.listdir("/proc"):
        if not pid.isdigit():
            continue
        try:
            command = open(f"/proc/{pid}/cmdline", "rb").read().split(b"\0")
            if os.readlink(f"/proc/{pid}/cwd") == directory and any(w.endswith(name) for w in command[:1]):
                return int(pid)
        except OSError:
            continue
    return None


def wait_for(condition, seconds=60):
    deadline = time.time() + seconds
    while time.time() < deadline:
        value = condition()
        if value:
            return value
        time.sleep(0.05)
    return None


def main():
    program = os.path.abspath(sys.argv[1])
    emulator = sys.argv[sys.argv.index("--run-with") + 1:] if "--run-with" in sys.argv else []
    with tempfile.TemporaryDirectory() as directory:
        directory = os.path.realpath(directory)
        fifo = os.path.join(directory, "commands")
        os.mkfifo(fifo)
        with open(os.path.join(directory, "morvit.out"), "w") as old:
            old.write("x" * 100000)
        run = subprocess.Popen(emulator + [program, "commands"], cwd=directory,
                               stdout=subprocess.PIPE, stderr=subprocess.PIPE, stdin=subprocess.DEVNULL)
        feed = os.open(fifo, os.O_WRONLY)
        os.write(feed, b"COM    FIRST\n")
        pending = bytearray(4)

        def line_taken():
            fcntl.ioctl(feed, termios.FIONREAD, pending)
            return int.from_bytes(pending, sys.byteorder) == 0

        pid = wait_for(lambda: program_process(program, directory))
        if pid is None or not wait_for(line_taken):
            run.kill()
            sys.exit("the program did not start or did not read its command file")
        time.sleep(1.0)  # the run now waits for its next line
        os.kill(pid, signal.SIGINT)
        try:
            out, err = run.communicate(timeout=60)
        except subprocess.TimeoutExpired:
            run.kill()
            sys.exit("the interrupt did not end the run")
        os.close(feed)
        report = open(os.path.join(directory, "morvit.out"), "rb").read()

    failures = []
    if run.returncode != 1:
        failures.append(f"exit status {run.returncode}, not 1")
    if err != b"Interrupt\n":
        failures.append(f"standard error {err!r}, not 'Interrupt'")
    lines = report.split(b"\r\n")
    if lines[-1] != b"" or len(lines) != 11 or lines[9] != b"FIRST".ljust(73) or b"x" in report:
        failures.append(f"the report is not the banner and the comment: {report!r}")
    if failures:
        sys.exit("\n".join(failures))
    print("interrupted under Wine: status 1, 'Interrupt', the report holds the lines written so far")


if __name__ == "__main__":
    main()
