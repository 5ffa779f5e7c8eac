#!/usr/bin/env python3
"""Resident soak of `fraymark --log`: memory and descriptors over a long run.

A fixture home holds 20 live Claude Code transcripts; a writer appends to a few of them
every second, and now and then replaces one through a rename, while fraymark runs.
Resident memory and open descriptors are sampled after the first minute and at the end:
they must be equal (memory within 1 MiB), i.e. flat.

usage: bench/resident_soak.py [BUILD_DIR] [--seconds N]   (default one hour)
"""
import os
import random
import shutil
import signal
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import procstat  # noqa: E402
from resident_usage import line, make_home  # noqa: E402

RSS_SLACK = 1.0  # MiB


def usage(pid):
    return procstat.rss_kib(pid) / 1024.0, procstat.open_fds(pid)


def main():
    build, seconds = procstat.arguments(3600.0)
    binary = os.path.abspath(os.path.join(build, "fraymark"))
    home = tempfile.mkdtemp(prefix="fraymark-soak-")
    try:
        transcripts = make_home(home)
        os.makedirs(home + "/run", exist_ok=True)
        env = {"HOME": home, "XDG_CONFIG_HOME": home + "/.config", "XDG_CACHE_HOME": home + "/.cache",
               "XDG_RUNTIME_DIR": home + "/run", "PATH": "/usr/bin:/bin", "LANG": "C.UTF-8"}
        proc = subprocess.Popen([binary, "--log"], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        rng = random.Random(11)
        t0 = time.monotonic()
        first = None
        peak = 0.0
        try:
            while time.monotonic() - t0 < seconds:
                for p in rng.sample(transcripts, 4):
                    with open(p, "a") as f:
                        f.write(line(rng.choice(["prompt", "tool", "result", "text"]), "/home/dev/x", time.time()))
                if rng.random() < 0.01:  # a transcript replaced through a rename
                    p = rng.choice(transcripts)
                    with open(p + ".new", "w") as f:
                        for k in range(rng.randint(1, 60)):
                            f.write(line(["prompt", "tool", "result", "text"][k % 4], "/home/dev/y", time.time()))
                    os.rename(p + ".new", p)
                rss, fds = usage(proc.pid)
                peak = max(peak, rss)
                if first is None and time.monotonic() - t0 >= 60:
                    first = (rss, fds)
                time.sleep(1)
            end = usage(proc.pid)
        finally:
            proc.send_signal(signal.SIGTERM)
            proc.wait(timeout=10)
    finally:
        shutil.rmtree(home, ignore_errors=True)
    first = first or end
    flat = abs(end[0] - first[0]) <= RSS_SLACK and end[1] == first[1]
    print(f"resident soak {seconds:.0f}s: rss {first[0]:.1f} MiB after 1 min, {end[0]:.1f} MiB at the end "
          f"(peak {peak:.1f}); descriptors {first[1]} then {end[1]}: {'flat' if flat else 'GROWING'}")
    return 0 if flat else 1


if __name__ == "__main__":
    sys.exit(main())
