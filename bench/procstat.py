"""What /proc says of a running process, for the resident benchmarks."""
import os

TICKS = os.sysconf("SC_CLK_TCK")


def cpu_seconds(pid):
    """User plus system time so far."""
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()  # the name may hold spaces and ')'
    return (int(fields[11]) + int(fields[12])) / TICKS


def rss_kib(pid):
    with open(f"/proc/{pid}/status") as f:
        for l in f:
            if l.startswith("VmRSS:"):
                return int(l.split()[1])
    return 0


def open_fds(pid):
    return len(os.listdir(f"/proc/{pid}/fd"))


def arguments(default_seconds):
    """The build folder and the seconds to run, from `[BUILD] [--seconds N]` in any order."""
    import argparse

    parser = argparse.ArgumentParser()
    parser.add_argument("build", nargs="?", default="build")
    parser.add_argument("--seconds", type=float, default=default_seconds)
    args = parser.parse_args()
    return args.build, args.seconds
