#!/usr/bin/env python3
"""The bare writing limit of a result workbook: its own bytes through the chosen deflate.

    python3 deflate_limit.py RESULT.xlsx [REPEATS]

Reads every part of the workbook (the XML and relationship parts, uncompressed) into memory
untimed, then times compressing all of them with zlib level 1 as raw deflate streams, the form a
.xlsx holds them in (zlib.compressobj(1, zlib.DEFLATED, -15)):
- one core: the parts one after another in this thread;
- two cores: each part cut into 1 MiB blocks, each block a raw deflate stream of its own ended
  with a full flush (so the blocks join into one valid stream, as parallel deflate tools write
  them), compressed by two threads (zlib lets go of Python's lock while it works).
Prints one JSON line: the parts' total size and, per form, the median wall and CPU seconds of
REPEATS runs (default 3) and the compressed size.
"""

import json
import statistics
import sys
import time
import zipfile
import zlib
from concurrent.futures import ThreadPoolExecutor

BLOCK = 1 << 20


def deflate(data):
    compressor = zlib.compressobj(1, zlib.DEFLATED, -15)
    return len(compressor.compress(data)) + len(compressor.flush())


def deflate_block(data):
    compressor = zlib.compressobj(1, zlib.DEFLATED, -15)
    return len(compressor.compress(data)) + len(compressor.flush(zlib.Z_FULL_FLUSH))


def one_core(parts):
    return sum(deflate(part) for part in parts)


def two_cores(parts):
    blocks = [memoryview(part)[i:i + BLOCK] for part in parts for i in range(0, len(part), BLOCK)]
    with ThreadPoolExecutor(max_workers=2) as pool:
        return sum(pool.map(deflate_block, blocks))


def timed(work, parts, repeats):
    walls, cpus, size = [], [], 0
    for _ in range(repeats):
        start, cpu_start = time.perf_counter(), time.process_time()
        size = work(parts)
        walls.append(time.perf_counter() - start)
        cpus.append(time.process_time() - cpu_start)
    return {"seconds": statistics.median(walls), "cpu": statistics.median(cpus), "bytes": size}


def main():
    repeats = int(sys.argv[2]) if len(sys.argv) > 2 else 3
    with zipfile.ZipFile(sys.argv[1]) as book:
        parts = [book.read(name) for name in book.namelist()]
    print(json.dumps({"parts": len(parts), "bytes": sum(len(p) for p in parts),
                      "one_core": timed(one_core, parts, repeats),
                      "two_cores": timed(two_cores, parts, repeats)}))


if __name__ == "__main__":
    main()
