#!/usr/bin/env python3
"""How fast `fraymark --json` answers on a home of 600 transcripts, against the time to
the first line of `fraymark --log` on the same home, measured in one run (median of 5).

Target: --json within 1.5 times the first --log line.

usage: bench/json_latency.py [BUILD_DIR]
"""
import json
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

TARGET = 1.5


def iso(t):
    return time.strftime("%Y-%m-%dT%H:%M:%S", time.gmtime(t)) + ".000Z"


def make_home(root, count=600):
    now = time.time()
    for i in range(count):
        proj = os.path.join(root, ".claude", "projects", f"-home-dev-proj{i % 60}")
        os.makedirs(proj, exist_ok=True)
        path = os.path.join(proj, f"{i:08d}-aaaa-4bbb-8ccc-0123456789ab.jsonl")
        base = {"cwd": f"/home/dev/proj{i % 60}", "gitBranch": "main", "sessionId": str(i)}
        with open(path, "w") as f:
            for k in range(40):
                t = now - 300 + k
                if k % 2 == 0:
                    rec = dict(base, type="user", timestamp=iso(t), message={"role": "user", "content": [
                        {"type": "tool_result", "tool_use_id": "t", "content": "ok\n" * 100}]})
                else:
                    rec = dict(base, type="assistant", timestamp=iso(t), message={"role": "assistant", "content": [
                        {"type": "tool_use", "id": "t", "name": "Bash", "input": {"command": "make"}}]})
                f.write(json.dumps(rec) + "\n")
        os.utime(path, (now - 60, now - 60))


def env_for(home):
    os.makedirs(home + "/run", exist_ok=True)
    return {"HOME": home, "XDG_CONFIG_HOME": home + "/.config", "XDG_CACHE_HOME": home + "/.cache",
            "XDG_RUNTIME_DIR": home + "/run", "PATH": "/usr/bin:/bin", "LANG": "C.UTF-8"}


def first_log_line(binary, home):
    t0 = time.monotonic()
    proc = subprocess.Popen([binary, "--log"], env=env_for(home), stdout=subprocess.PIPE,
                            stderr=subprocess.DEVNULL)
    proc.stdout.readline()
    elapsed = time.monotonic() - t0
    proc.terminate()
    proc.wait(timeout=10)
    return elapsed


def json_once(binary, home):
    t0 = time.monotonic()
    out = subprocess.run([binary, "--json"], env=env_for(home), stdout=subprocess.PIPE,
                         stderr=subprocess.DEVNULL, check=True).stdout
    elapsed = time.monotonic() - t0
    sessions = len(json.loads(out)["sessions"])
    return elapsed, sessions


def main():
    build = sys.argv[1] if len(sys.argv) > 1 else "build"
    binary = os.path.abspath(os.path.join(build, "fraymark"))
    home = tempfile.mkdtemp(prefix="fraymark-json-")
    try:
        make_home(home)
        logs, jsons = [], []
        for _ in range(5):
            logs.append(first_log_line(binary, home))
            elapsed, sessions = json_once(binary, home)
            jsons.append(elapsed)
        log, js = statistics.median(logs), statistics.median(jsons)
        ratio = js / log
        verdict = "ok" if ratio <= TARGET else "OVER TARGET"
        print(f"--json {js * 1000:.0f} ms ({sessions} sessions), first --log line {log * 1000:.0f} ms: "
              f"{ratio:.2f}x (target <= {TARGET}x): {verdict}")
        return 0 if verdict == "ok" else 1
    finally:
        shutil.rmtree(home, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
