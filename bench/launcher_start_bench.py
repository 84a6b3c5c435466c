#!/usr/bin/env python3
"""Launcher start to "DDE server answers", with a 1,000-task file.

Starts the runvane program of a build in a fresh RUNVANE_HOME (offscreen,
no display), and measures the time from the spawn until a waiting DDE
execute of a text without any keyword is acknowledged: by then the task file
is loaded, the server listens and the main thread's event loop runs. Each
run ends the launcher with KILLRUNVANE. The same is measured with an empty
task file, the floor the task list adds to.

Usage: bench/launcher_start_bench.py BUILD_DIR [RUNS]
"""

import os
import shutil
import socket
import statistics
import subprocess
import sys
import tempfile
import time

GOAL_MS = 150.0


def write_task_file(path, count):
    lines = ["__RVTLST__"]
    for i in range(count):
        lines += [
            f"Task {i:04d}", "12/14/2026 9:55:0 AM", "1", "1", "4", "0", "0", "10", "0",
            "0", "2", "BEGINLOOP: ", "ENDLOOP: 2", "0", "1", "0", "0", "", "",
        ]
    with open(path, "w", newline="") as out:
        out.write("\r\n".join(lines) + "\r\n")


def execute(path, text, wait=True):
    with socket.socket(socket.AF_UNIX, socket.SOCK_SEQPACKET) as conn:
        conn.settimeout(2.0)
        conn.connect(path)
        conn.send(bytes([1, 1 if wait else 0]) + text.encode())
        ack = conn.recv(16)
        return len(ack) >= 2 and ack[1] == 1


def one_start(program, tasks):
    home = tempfile.mkdtemp(prefix="rvb-", dir="/tmp")
    try:
        os.makedirs(os.path.join(home, "data"))
        write_task_file(os.path.join(home, "data", "TASKS.RVD"), tasks)
        env = dict(os.environ, RUNVANE_HOME=home)
        env.pop("DISPLAY", None)
        env.pop("WAYLAND_DISPLAY", None)
        dde_dir = os.path.join(home, "run", "dde")
        started = time.perf_counter()
        child = subprocess.Popen([program], env=env, stdin=subprocess.DEVNULL,
                                 stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        answered = None
        while time.perf_counter() - started < 10:
            names = os.listdir(dde_dir) if os.path.isdir(dde_dir) else []
            sockets = [n for n in names if n.startswith("runvane.system")
                       and not n.endswith(".lock")]
            if sockets:
                try:
                    if execute(os.path.join(dde_dir, sockets[0]), "PING"):
                        answered = time.perf_counter()
                        break
                except OSError:
                    pass
            time.sleep(0.0005)
        if answered is not None:
            execute(os.path.join(dde_dir, sockets[0]), "KILLRUNVANE")
        try:
            child.wait(timeout=10)
        except subprocess.TimeoutExpired:
            child.kill()
            child.wait()
        if answered is None:
            raise RuntimeError("the launcher did not answer within 10 s")
        return (answered - started) * 1000.0
    finally:
        shutil.rmtree(home, ignore_errors=True)


def main():
    if len(sys.argv) < 2:
        print(__doc__)
        return 2
    program = os.path.join(sys.argv[1], "launcher", "app", "runvane")
    runs = int(sys.argv[2]) if len(sys.argv) > 2 else 10
    one_start(program, 0)  # warm the page cache
    floor = statistics.median(one_start(program, 0) for _ in range(runs))
    full = statistics.median(one_start(program, 1000) for _ in range(runs))
    print(f"launcher start to DDE answer, empty task file:  {floor:7.1f} ms (median of {runs})")
    print(f"launcher start to DDE answer, 1,000 tasks:      {full:7.1f} ms (median of {runs})")
    print(f"ratio 1,000 tasks / empty: {full / floor:.2f}; goal under {GOAL_MS:.0f} ms: "
          f"{'met' if full < GOAL_MS else 'missed'}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
