#!/usr/bin/python3
"""The cost of one study chunk as a Dask worker process runs it: the chunks of bench_study.py's grid
evaluated one after the other on one thread, with glibc's default allocator settings and with the
trim threshold that Dask's nanny sets in its workers (MALLOC_TRIM_THRESHOLD_=65536, which returns
the heap's free top to the system after every free that leaves more than 64 kB there and keeps
allocations of 128 kB and more on mmap). A chunk whose evaluation grows and frees the heap pays for
the pages again on every chunk under the second setting: the page faults per chunk and the
processor time show it.

    PYTHONPATH=build/default/python /usr/bin/python3 bench/python/bench_chunk.py [--points N] [--chunk C]
        [--repeat R]

Each setting runs in a process of its own (the allocator reads the variable at start-up). Figures:
the fastest of R passes over the chunks, thread processor time per chunk and minor page faults
per chunk (this thread's, from getrusage).
"""

import argparse
import math
import os
import resource
import subprocess
import sys
import time

import numpy as np

TRIM = "65536"


def measure(points, chunk, repeat):
    import veldo._study as S

    side = int(math.isqrt(points))
    grid = {"LO": np.linspace(5e-5, 2e-3, side), "CON1": np.geomspace(5e5, 6e7, side)}
    axes, fixed = S._prepare("planar1", grid, dict(N=200, R1=2e-3, R2=4e-3, L=1e-3, f=1e5, MR1=1.0))
    shape = tuple(len(a) for a in axes.values())
    block = S._block(shape, chunk)
    ranges = [S._chunk_range(shape, block, k)[1:] for k in range(S._chunk_count(shape, block))]
    S.evaluate_chunk("planar1", axes, fixed, 1e-4, *ranges[0])  # first touches out of the figures
    best = (math.inf, 0.0, 0)
    for _ in range(repeat):
        faults = resource.getrusage(resource.RUSAGE_THREAD).ru_minflt
        start, cpu = time.perf_counter(), time.thread_time()
        for s, e in ranges:
            S.evaluate_chunk("planar1", axes, fixed, 1e-4, s, e)
        cpu = time.thread_time() - cpu
        wall = time.perf_counter() - start
        faults = resource.getrusage(resource.RUSAGE_THREAD).ru_minflt - faults
        best = min(best, (wall, cpu, faults))
    wall, cpu, faults = best
    print(f"{len(ranges)} {wall:.4f} {cpu:.4f} {faults}")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--points", type=int, default=1_000_000)
    parser.add_argument("--chunk", type=int, default=50_000)
    parser.add_argument("--repeat", type=int, default=5)
    parser.add_argument("--measure", action="store_true", help=argparse.SUPPRESS)
    args = parser.parse_args()
    if args.measure:
        measure(args.points, args.chunk, args.repeat)
        return
    print(f"planar1, {args.points} points in chunks of {args.chunk}, one thread, chunk after chunk "
          f"(fastest of {args.repeat} passes):")
    for label, trim in (("glibc's defaults", None), (f"MALLOC_TRIM_THRESHOLD_={TRIM}", TRIM)):
        env = {k: v for k, v in os.environ.items() if k != "MALLOC_TRIM_THRESHOLD_"}
        if trim is not None:
            env["MALLOC_TRIM_THRESHOLD_"] = trim
        line = subprocess.run([sys.executable, __file__, "--measure", "--points", str(args.points), "--chunk",
                               str(args.chunk), "--repeat", str(args.repeat)], env=env, check=True,
                              capture_output=True, text=True).stdout
        chunks, wall, cpu, faults = line.split()
        chunks = int(chunks)
        print(f"  {label:32s}: {float(wall) / chunks * 1e3:6.2f} ms wall, {float(cpu) / chunks * 1e3:6.2f} ms "
              f"processor, {int(faults) / chunks:7.0f} page faults per chunk")


if __name__ == "__main__":
    main()
