#!/usr/bin/python3
"""Where a study's time goes on a LocalCluster of two worker processes: per chunk, when its task
started and ended computing on its worker (Dask's task stream, the workers' clocks, which on one
machine are the client's) and when the study had its result (its ``progress`` callback). The
same grid as bench_study.py (planar1 over lift-off x conductivity, Acc 1e-4, the batch engine).

    PYTHONPATH=build/default/python /usr/bin/python3 bench/python/bench_cluster.py [--points N] [--chunk C]
        [--repeat R] [--tasks]

Figures of the fastest of R studies: the wall time; per worker the time it spent computing
tasks, the processor time and page faults of its process (all its threads) and the gaps between its tasks; the time from the
study's start to the first task's start and from the last task's end to the study's end; and the
mean delay between a task's end and the study holding its result. --tasks lists every chunk.
"""

import argparse
import math
import time

import numpy as np

import veldo

COIL = dict(N=200, R1=2e-3, R2=4e-3, L=1e-3)


def usage():
    """A process's processor time and minor page faults so far."""
    import resource

    r = resource.getrusage(resource.RUSAGE_SELF)
    return r.ru_utime + r.ru_stime, r.ru_minflt


def one_study(client, grid, chunk):
    from distributed import get_task_stream

    received = []
    cpu = client.run(usage)
    with get_task_stream(client) as stream:
        start, here = time.time(), usage()
        veldo.study("planar1", grid, client=client, chunk=chunk, MR1=1.0, f=1e5,
                    progress=lambda done, total: received.append(time.time()), **COIL)
        end, here = time.time(), tuple(b - a for a, b in zip(here, usage()))
    cpu = {w: tuple(b - a for a, b in zip(cpu[w], c)) for w, c in client.run(usage).items()}
    tasks = []
    for t in stream.data:
        compute = [s for s in t["startstops"] if s["action"] == "compute"]
        if compute:
            tasks.append((compute[0]["start"], compute[0]["stop"], t["worker"]))
    tasks.sort()
    return start, end, tasks, received, cpu, here


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--points", type=int, default=1_000_000)
    parser.add_argument("--chunk", type=int, default=50_000)
    parser.add_argument("--repeat", type=int, default=5)
    parser.add_argument("--tasks", action="store_true")
    parser.add_argument("--malloc", choices=("dask", "glibc"), default="dask",
                        help="the workers' allocator settings: Dask's (MALLOC_TRIM_THRESHOLD_=65536) or glibc's defaults")
    args = parser.parse_args()
    side = int(math.isqrt(args.points))
    grid = {"LO": np.linspace(5e-5, 2e-3, side), "CON1": np.geomspace(5e5, 6e7, side)}

    import dask
    from distributed import Client, LocalCluster

    environ = dict(dask.config.get("distributed.nanny.pre-spawn-environ"))
    if args.malloc == "glibc":
        environ.pop("MALLOC_TRIM_THRESHOLD_", None)
    with dask.config.set({"distributed.nanny.pre-spawn-environ": environ}), \
            LocalCluster(n_workers=2, threads_per_worker=1, processes=True, dashboard_address=None) as local, \
            Client(local) as client:
        client.run(lambda: __import__("veldo"))
        one_study(client, grid, args.chunk)  # warm
        best = None
        for _ in range(args.repeat):
            r = one_study(client, grid, args.chunk)
            if best is None or r[1] - r[0] < best[1] - best[0]:
                best = r
    start, end, tasks, received, cpu, here = best
    wall = end - start
    print(f"study of {side * side} points in chunks of {args.chunk} ({len(tasks)} tasks) on a LocalCluster of 2 "
          f"workers ({args.malloc}'s allocator settings): {wall:.3f} s (fastest of {args.repeat})")
    for w in sorted({t[2] for t in tasks}):
        mine = [t for t in tasks if t[2] == w]
        busy = sum(e - s for s, e, _ in mine)
        gaps = [b[0] - a[1] for a, b in zip(mine, mine[1:])]
        print(f"  worker {w}: {len(mine)} tasks, computing {busy:.3f} s ({busy / len(mine) * 1e3:.1f} ms a task), "
              f"its process {cpu[w][0]:.3f} s processor, {cpu[w][1] / len(mine):.0f} page faults a task, gaps between tasks {sum(gaps) * 1e3:.1f} ms in all (largest {max(gaps, default=0) * 1e3:.1f} ms)")
    print(f"  first task started {(tasks[0][0] - start) * 1e3:.1f} ms after the study's start; the study ended "
          f"{(end - max(t[1] for t in tasks)) * 1e3:.1f} ms after the last task's end")
    print(f"  the study's process (client and scheduler): {here[0]:.3f} s processor, {here[1]} page faults")
    ends = sorted(t[1] for t in tasks)
    delays = [r - e for r, e in zip(received, ends)]
    print(f"  a result reached the study {np.mean(delays) * 1e3:.1f} ms after its task ended on average "
          f"(max {max(delays) * 1e3:.1f} ms; results matched to task ends in order)")
    if args.tasks:
        for s, e, w in tasks:
            print(f"    {w:>28s} {(s - start) * 1e3:8.1f} .. {(e - start) * 1e3:8.1f} ms")


if __name__ == "__main__":
    main()
