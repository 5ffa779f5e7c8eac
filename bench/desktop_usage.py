#!/usr/bin/env python3
"""What the island costs on a desktop: CPU share and resident memory of `fraymark` over a
minute each with no session, one working session (animating) and one waiting for the user
(pulse and glow), under Xvfb with openbox and the xcompmgr compositor.

Targets: at most 0.3 %, 3 % and 4 % of one core; resident memory at most 80 MB.

usage: bench/desktop_usage.py [BUILD_DIR] [--seconds N]
"""
import json
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import procstat  # noqa: E402

TARGETS = {"idle": 0.3, "working": 3.0, "needs-action": 4.0}  # percent of one core
RSS_TARGET = 80.0  # MB


def iso(t):
    return time.strftime("%Y-%m-%dT%H:%M:%S", time.gmtime(t)) + ".000Z"


def record(kind, t):
    base = {"isSidechain": False, "cwd": "/home/dev/orbit-api", "gitBranch": "main", "sessionId": "s",
            "timestamp": iso(t), "permissionMode": "default"}
    if kind == "prompt":
        base.update(type="user", message={"role": "user", "content": "make the tests pass"})
    elif kind == "tool":
        base.update(type="assistant", message={"role": "assistant", "stop_reason": None, "content": [
            {"type": "tool_use", "id": "toolu_1", "name": "Bash", "input": {"command": "npm test"}}]})
    else:
        base.update(type="user", message={"role": "user", "content": [
            {"type": "tool_result", "tool_use_id": "toolu_1", "content": "ok"}]})
    return json.dumps(base) + "\n"


def make_home(root, case):
    os.makedirs(os.path.join(root, "run"), mode=0o700)
    if case == "idle":
        return
    proj = os.path.join(root, ".claude", "projects", "-home-dev-orbit-api")
    os.makedirs(proj)
    path = os.path.join(proj, "s.jsonl")
    now = time.time()
    kinds = ["prompt", "tool", "result"] if case == "working" else ["prompt", "tool"]
    with open(path, "w") as f:
        for k in kinds:
            f.write(record(k, now - 30))
    if case == "needs-action":
        os.utime(path, (now - 30, now - 30))  # a tool call silent for longer than the delay


def sample(pid):
    return procstat.cpu_seconds(pid), procstat.rss_kib(pid) / 1000.0  # MB


def start_x():
    r, w = os.pipe()
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(w), "-screen", "0", "1920x1080x24", "-nolisten", "tcp"],
                            pass_fds=(w,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(w)
    number = os.read(r, 16).decode().strip()
    os.close(r)
    display = ":" + number
    env = {"DISPLAY": display, "PATH": "/usr/bin:/bin"}
    helpers = [subprocess.Popen([p], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
               for p in ("openbox", "xcompmgr")]
    time.sleep(1.5)
    return display, [xvfb] + helpers


def measure(binary, display, case, seconds):
    home = tempfile.mkdtemp(prefix="fraymark-desk-")
    try:
        make_home(home, case)
        env = {"HOME": home, "XDG_CONFIG_HOME": home + "/.config", "XDG_CACHE_HOME": home + "/.cache",
               "XDG_RUNTIME_DIR": home + "/run", "PATH": "/usr/bin:/bin", "LANG": "C.UTF-8", "DISPLAY": display}
        log = open(os.path.join(home, "stderr"), "w+")
        proc = subprocess.Popen([binary], env=env, stdout=subprocess.DEVNULL, stderr=log)
        try:
            time.sleep(5)  # start-up and the first ticks are not the steady state
            if proc.poll() is not None:
                log.seek(0)
                raise SystemExit(f"fraymark ended at start-up ({proc.returncode}): {log.read().strip()}")
            cpu0, _ = sample(proc.pid)
            t0 = time.monotonic()
            peak = 0.0
            while time.monotonic() - t0 < seconds:
                peak = max(peak, sample(proc.pid)[1])
                time.sleep(1)
            cpu1, rss = sample(proc.pid)
            return 100.0 * (cpu1 - cpu0) / (time.monotonic() - t0), max(peak, rss)
        finally:
            proc.send_signal(signal.SIGTERM)
            proc.wait(timeout=10)
    finally:
        shutil.rmtree(home, ignore_errors=True)


def main():
    build, seconds = procstat.arguments(60)
    binary = os.path.abspath(os.path.join(build, "fraymark"))
    display, servers = start_x()
    ok = True
    try:
        for case, target in TARGETS.items():
            cpu, rss = measure(binary, display, case, seconds)
            verdict = "ok" if cpu <= target and rss <= RSS_TARGET else "OVER TARGET"
            ok = ok and verdict == "ok"
            print(f"island {case:12s} cpu {cpu:.3f}% of one core (target <= {target}%), "
                  f"peak rss {rss:.1f} MB (target <= {RSS_TARGET:.0f}) over {seconds:.0f}s: {verdict}")
    finally:
        for p in reversed(servers):
            p.terminate()
            p.wait(timeout=10)
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
