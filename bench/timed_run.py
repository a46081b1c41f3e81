#!/usr/bin/env python3
"""Runs one command and prints its wall and CPU seconds and peak resident memory, whole process
from start to exit, after LABEL; with --show-output its standard output stands in the status.

    python3 bench/timed_run.py [--show-output] LABEL COMMAND [ARGUMENT...]
"""

import resource
import subprocess
import sys
import time

args = sys.argv[1:]
show_output = args[0] == "--show-output"
if show_output:
    args = args[1:]
label, command = args[0], args[1:]
start = time.perf_counter()
done = subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
seconds = time.perf_counter() - start
usage = resource.getrusage(resource.RUSAGE_CHILDREN)
cpu, peak = usage.ru_utime + usage.ru_stime, usage.ru_maxrss / 1024
if done.returncode != 0:
    status = "exit %d: %s" % (done.returncode, done.stderr.strip())
else:
    status = done.stdout.strip() if show_output else "ok"
print("%s: %.2f s wall, %.2f s cpu, peak %.0f MiB (%s)" % (label, seconds, cpu, peak, status))
