#!/usr/bin/env python3
"""Idle cost of the launcher with a 1,000-task file and processing on.

Runs the launcher (nothing due) and a minimal Qt tray program with one 1 s
timer side by side for the same time, offscreen, and compares the CPU time
each used and the launcher's resident memory at the end. Goal: at most 2x
the minimal program's CPU and at most 30 MB resident.

Usage: bench/launcher_idle_bench.py BUILD_DIR [SECONDS [PREFERENCE=VALUE...]]
       (default 60 seconds; preferences as for runvanectl prefs)
"""

import os
import shutil
import subprocess
import sys
import tempfile
import time



def cpu_ms(pid):
    """CPU time of every thread of the process, to the nanosecond."""
    total = 0
    for thread in os.listdir(f"/proc/{pid}/task"):
        with open(f"/proc/{pid}/task/{thread}/schedstat") as stat:
            total += int(stat.read().split()[0])
    return total / 1e6


def rss_mb(pid):
    with open(f"/proc/{pid}/status") as status:
        for line in status:
            if line.startswith("VmRSS:"):
                return int(line.split()[1]) / 1024.0
    return 0.0


def write_task_file(path, count):
    lines = ["__RVTLST__"]
    for i in range(count):
        lines += [f"Task {i:04d}", "12/14/2099 9:55:0 AM", "1", "1", "4", "1", "0", "9", "0",
                  "0", "1", "PAUSE: 1 seconds", "0", "1", "0", "0", "", ""]
    with open(path, "w", newline="") as out:
        out.write("\r\n".join(lines) + "\r\n")


def main():
    build = sys.argv[1] if len(sys.argv) > 1 else "build"
    seconds = float(sys.argv[2]) if len(sys.argv) > 2 else 60.0
    home = tempfile.mkdtemp(prefix="rvidle-", dir="/tmp")
    env = dict(os.environ, RUNVANE_HOME=home, QT_QPA_PLATFORM="offscreen")
    env.pop("DISPLAY", None)
    os.makedirs(os.path.join(home, "data"))
    write_task_file(os.path.join(home, "data/TASKS.RVD"), 1000)
    ctl = os.path.join(build, "tools/runvanectl/runvanectl")
    subprocess.run([ctl, "prefs", "WarnOnShutdown=0"] + sys.argv[3:], env=env, check=True)
    floor = subprocess.Popen([os.path.join(build, "bench/minimal_tray")], env=env,
                             stderr=subprocess.DEVNULL)
    launcher = subprocess.Popen([os.path.join(build, "launcher/app/runvane")], env=env,
                                stderr=subprocess.DEVNULL)
    try:
        time.sleep(2)  # both past their start-up
        start = (cpu_ms(launcher.pid), cpu_ms(floor.pid))
        time.sleep(seconds)
        end = (cpu_ms(launcher.pid), cpu_ms(floor.pid))
        rss = (rss_mb(launcher.pid), rss_mb(floor.pid))
    finally:
        subprocess.run([ctl, "quit"], env=env)
        floor.terminate()
        for process in (launcher, floor):
            try:
                process.wait(timeout=10)
            except subprocess.TimeoutExpired:
                process.kill()
        shutil.rmtree(home, ignore_errors=True)
    used = end[0] - start[0]
    base = max(end[1] - start[1], 0.001)
    print(f"idle over {seconds:.0f} s, 1,000 tasks, processing on:")
    print(f"  launcher      CPU {used:7.1f} ms   resident {rss[0]:5.1f} MB")
    print(f"  minimal tray  CPU {end[1] - start[1]:7.1f} ms   resident {rss[1]:5.1f} MB")
    print(f"  CPU ratio {used / base:.2f} (goal <= 2), resident {rss[0]:.1f} MB (goal <= 30)")
    return 0


if __name__ == "__main__":
    sys.exit(main())
