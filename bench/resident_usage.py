#!/usr/bin/env python3
"""Resident cost of `fraymark --log`: CPU share and resident memory over a minute.

A fixture home holds 20 live Claude Code transcripts; a writer appends a line to a
few of them every second while fraymark runs. The same is measured with --demo.
Targets: at most 0.5 % of one core on average, resident memory under 40 MB.

usage: bench/resident_usage.py [BUILD_DIR] [--seconds N]
"""
import json
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

CPU_TARGET = 0.5    # percent of one core
RSS_TARGET = 40.0   # MiB



def iso(t):
    return time.strftime("%Y-%m-%dT%H:%M:%S", time.gmtime(t)) + ".000Z"


def line(kind, cwd, t):
    base = {"isSidechain": False, "cwd": cwd, "gitBranch": "main", "sessionId": "s", "timestamp": iso(t)}
    if kind == "prompt":
        base.update(type="user", message={"role": "user", "content": "make the tests pass"})
    elif kind == "tool":
        base.update(type="assistant", message={"role": "assistant", "content": [
            {"type": "tool_use", "id": "toolu_1", "name": "Bash", "input": {"command": "npm test"}}]})
    elif kind == "result":
        base.update(type="user", toolUseResult={"stdout": "ok\n" * 200},
                    message={"role": "user", "content": [{"type": "tool_result", "content": "ok\n" * 200}]})
    else:
        base.update(type="assistant", message={"role": "assistant", "content": [{"type": "text", "text": "Done."}]})
    return json.dumps(base) + "\n"


def make_home(root):
    now = time.time()
    paths = []
    for i in range(20):
        proj = os.path.join(root, ".claude", "projects", f"-home-dev-proj{i}")
        os.makedirs(proj, exist_ok=True)
        p = os.path.join(proj, f"session-{i}.jsonl")
        with open(p, "w") as f:
            for k in range(200):
                f.write(line(["prompt", "tool", "result", "text"][k % 4], f"/home/dev/proj{i}", now - 600 + k))
        paths.append(p)
    return paths


def sample(pid):
    return procstat.cpu_seconds(pid), procstat.rss_kib(pid) / 1024.0  # MiB


def measure(binary, args, home, transcripts, seconds):
    env = {"HOME": home, "XDG_CONFIG_HOME": home + "/.config", "XDG_CACHE_HOME": home + "/.cache",
           "XDG_RUNTIME_DIR": home + "/run", "PATH": "/usr/bin:/bin", "LANG": "C.UTF-8"}
    os.makedirs(home + "/run", exist_ok=True)
    proc = subprocess.Popen([binary] + args, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        time.sleep(3)  # start-up is not the steady state
        cpu0, _ = sample(proc.pid)
        t0 = time.monotonic()
        peak = 0.0
        rng = random.Random(7)
        while time.monotonic() - t0 < seconds:
            for p in rng.sample(transcripts, 4):
                with open(p, "a") as f:
                    f.write(line(rng.choice(["prompt", "tool", "result", "text"]), "/home/dev/x", time.time()))
            _, rss = sample(proc.pid)
            peak = max(peak, rss)
            time.sleep(1)
        cpu1, rss = sample(proc.pid)
        elapsed = time.monotonic() - t0
        return 100.0 * (cpu1 - cpu0) / elapsed, max(peak, rss)
    finally:
        proc.send_signal(signal.SIGTERM)
        proc.wait(timeout=10)


def main():
    build, seconds = procstat.arguments(60)
    binary = os.path.abspath(os.path.join(build, "fraymark"))
    ok = True
    for label, extra in (("live", ["--log"]), ("demo", ["--demo", "--log"])):
        home = tempfile.mkdtemp(prefix="fraymark-bench-")
        try:
            transcripts = make_home(home)
            cpu, rss = measure(binary, extra, home, transcripts, seconds)
        finally:
            shutil.rmtree(home, ignore_errors=True)
        verdict = "ok" if cpu <= CPU_TARGET and rss < RSS_TARGET else "OVER TARGET"
        ok = ok and verdict == "ok"
        print(f"{label:5s} fraymark {' '.join(extra):12s} cpu {cpu:.3f}% of one core "
              f"(target <= {CPU_TARGET}%), peak rss {rss:.1f} MiB (target < {RSS_TARGET:.0f}) over {seconds:.0f}s: {verdict}")
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
