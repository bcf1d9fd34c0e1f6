"""What /proc tells of a running program, for the benchmarks."""


def rss_mb(pid):
    """Resident memory of pid, in MB."""
    with open("/proc/%d/status" % pid) as f:
        for line in f:
            if line.startswith("VmRSS:"):
                return int(line.split()[1]) / 1024.0
    return 0.0
