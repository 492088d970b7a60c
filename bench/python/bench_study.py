#!/usr/bin/python3
"""Study throughput: an in-process study on 1 and 2 threads, a LocalCluster of two worker
processes against it (with Dask's overhead per chunk; the workers with glibc's allocator defaults,
then once more with Dask's), one of two workers that are threads of this process, and a study
into a Zarr store with the peak memory of the process that runs it.

    PYTHONPATH=build/default/python /usr/bin/python3 bench/python/bench_study.py [--points N] [--repeat R]
        [--chunk C] [--store N] [--store-on here|cluster] [--store-path P]

The grid is planar1 over lift-off x conductivity at the window's default coil, 100 kHz, Acc
1e-4, the batch engine. Times are the fastest of R runs (the machine is shared: the fastest is the
least disturbed). The cluster's overhead per chunk comes from two chunk sizes: on 2 workers
    T(chunks) ~ T_compute / 2 + chunks * overhead / 2,
so overhead = 2 * (T_small - T_large) / (chunks_small - chunks_large).

The store's study runs in a process of its own (this script again, with --store-only), so that its
peak resident memory is its own: ``here`` computes the chunks in that
process on 2 threads, ``cluster`` on a LocalCluster of 2 workers whose scheduler lives in it. Give
--store 0 to leave it out; the peak is that of the study's process alone (VmHWM: ru_maxrss would
include the size of this benchmark, which Linux carries over into the process it starts).
"""

import argparse
import math
import os
import resource
import shutil
import subprocess
import sys
import tempfile
import time

import numpy as np

import veldo

COIL = dict(N=200, R1=2e-3, R2=4e-3, L=1e-3)


def grid(points):
    side = int(math.isqrt(points))
    return {"LO": np.linspace(5e-5, 2e-3, side), "CON1": np.geomspace(5e5, 6e7, side)}


def fastest(repeat, run):
    """The fastest wall time of `repeat` runs, the processor time of this process in that run
    (all its threads), and the result."""
    best, cpu, result = math.inf, math.inf, None
    for _ in range(repeat):
        start, start_cpu = time.perf_counter(), time.process_time()
        result = run()
        wall = time.perf_counter() - start
        if wall < best:
            best, cpu = wall, time.process_time() - start_cpu
    return best, cpu, result


def peak_mb():
    """The peak resident memory of this process [MB]: VmHWM, which is ru_maxrss without what
    Linux carries over through exec from the process that forked it (the calling benchmark)."""
    with open("/proc/self/status") as status:
        for line in status:
            if line.startswith("VmHWM:"):
                return int(line.split()[1]) / 1024
    return resource.getrusage(resource.RUSAGE_SELF).ru_maxrss / 1024


def cluster(malloc="dask", processes=True):
    """A LocalCluster of 2 single-threaded workers and its client: worker processes, or with
    processes=False workers that are threads of this process beside its scheduler (no
    serialisation of a chunk's arguments or results). malloc="glibc" starts the worker processes
    with glibc's allocator defaults instead of Dask's MALLOC_TRIM_THRESHOLD_=65536 (which returns the
    heap's top to the system after every free that leaves 64 kB there and keeps blocks of 128 kB and
    more on fresh mappings: a chunk's columns and results, 84 bytes a point, are faulted in anew on
    every task), for this cluster only."""
    import dask
    from distributed import Client, LocalCluster

    environ = dict(dask.config.get("distributed.nanny.pre-spawn-environ"))
    if malloc == "glibc":
        environ.pop("MALLOC_TRIM_THRESHOLD_", None)
    with dask.config.set({"distributed.nanny.pre-spawn-environ": environ}):
        local = LocalCluster(n_workers=2, threads_per_worker=1, processes=processes, dashboard_address=None)
    return local, Client(local)


def store_only(points, on, path):
    """The study into a Zarr store here: one line of figures."""
    import xarray  # noqa: F401 (imported before the baseline, as the study needs it)
    import zarr  # noqa: F401
    g = grid(points)
    n = math.prod(len(a) for a in g.values())
    local, client = cluster() if on == "cluster" else (None, None)
    if client is not None:
        client.run(lambda: __import__("veldo"))
    before = peak_mb()
    start = time.perf_counter()
    ds = veldo.study("planar1", g, chunk=50_000, path=path, client=client, threads=2, MR1=1.0, f=1e5, **COIL)
    wall = time.perf_counter() - start
    after = peak_mb()
    computed = int((ds["ier"] >= 0).sum())  # read back chunk by chunk, as a user would
    if client is not None:
        client.close()
        local.close()
    print(f"{n} {wall:.3f} {before:.1f} {after:.1f} {peak_mb():.1f} {computed}")


def store(points, on, path):
    made = path is None
    path = path or tempfile.mkdtemp(prefix="veldo-bench-") + "/study.zarr"
    try:
        line = subprocess.run([sys.executable, __file__, "--store-only", str(points), "--store-on", on,
                               "--store-path", path], check=True, capture_output=True, text=True).stdout
    finally:
        if made:
            shutil.rmtree(os.path.dirname(path), ignore_errors=True)
    n, wall, before, after, peak, computed = line.split()
    n, wall = int(n), float(wall)
    print(f"study of {n} points into a Zarr store, chunks of 50000, computed {on} "
          f"({'2 threads' if on == 'here' else 'LocalCluster, 2 workers'}):")
    print(f"  {wall:8.1f} s  {n / wall:9.0f} points/s; the study's process at its peak: {float(before):.0f} MB "
          f"before the study, {float(after):.0f} MB after it, {float(peak):.0f} MB after reading ier back "
          f"({computed} points computed)")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--points", type=int, default=1_000_000)
    parser.add_argument("--repeat", type=int, default=3)
    parser.add_argument("--chunk", type=int, default=50_000)
    parser.add_argument("--store", type=float, default=1e7, help="points of the Zarr study (0: none)")
    parser.add_argument("--store-on", choices=("here", "cluster"), default="here")
    parser.add_argument("--store-path", help="where the Zarr study goes (default: a temporary folder)")
    parser.add_argument("--store-only", type=float, help=argparse.SUPPRESS)
    args = parser.parse_args()
    if args.store_only is not None:
        store_only(int(args.store_only), args.store_on, args.store_path)
        return
    g = grid(args.points)
    n = math.prod(len(a) for a in g.values())

    def study(**kw):
        return veldo.study("planar1", g, MR1=1.0, f=1e5, **COIL, **kw)

    c = args.chunk
    study(chunk=c)  # imports and first touches out of the measurement
    t1, c1, one = fastest(args.repeat, lambda: study(chunk=c, threads=1))
    t2, c2, two = fastest(args.repeat, lambda: study(chunk=c, threads=2))
    assert two.equals(one)
    print(f"study of {n} points (planar1, Acc 1e-4, batch engine), in-process, chunks of {c}:")
    print(f"  1 thread : {t1:7.3f} s  {n / t1:9.0f} points/s  (processor {c1:.3f} s)")
    print(f"  2 threads: {t2:7.3f} s  {n / t2:9.0f} points/s  (processor {c2:.3f} s)  "
          f"speed-up {t1 / t2:.2f}x")

    start = time.perf_counter()
    local, client = cluster("glibc")
    up = time.perf_counter() - start
    with local, client:
        client.run(lambda: __import__("veldo"))
        small = max(1, n // 100)
        chunks = {s: math.ceil(n / s) for s in (small, c)}
        times = {}
        for s in (small, c):
            study(client=client, chunk=s)  # warm: the function reaches every worker
            times[s], _, df = fastest(args.repeat, lambda: study(client=client, chunk=s))
            if s == c:
                assert df.equals(one)
    local, client = cluster("dask")
    with local, client:
        client.run(lambda: __import__("veldo"))
        study(client=client, chunk=c)
        dask_time, _, df = fastest(args.repeat, lambda: study(client=client, chunk=c))
        assert df.equals(one)
    local, client = cluster(processes=False)
    with local, client:
        study(client=client, chunk=c)
        thread_time, _, df = fastest(args.repeat, lambda: study(client=client, chunk=c))
        assert df.equals(one)
    overhead = 2 * (times[small] - times[c]) / (chunks[small] - chunks[c])
    print(f"LocalCluster, 2 worker processes with glibc's allocator defaults (started in {up:.2f} s):")
    for s in (small, c):
        print(f"  chunks of {s:6d} ({chunks[s]:5d} chunks): {times[s]:7.3f} s  {n / times[s]:9.0f} "
              f"points/s  {t2 / times[s]:.2f}x the in-process 2 threads")
    print(f"  overhead per chunk: {overhead * 1e3:.2f} ms (= {overhead * n / t1:.0f} points of compute)")
    print(f"  with Dask's MALLOC_TRIM_THRESHOLD_=65536, chunks of {c}: {dask_time:7.3f} s  {n / dask_time:9.0f} "
          f"points/s  {t2 / dask_time:.2f}x the in-process 2 threads")
    print(f"LocalCluster, 2 workers as threads of this process, chunks of {c}: {thread_time:7.3f} s  "
          f"{n / thread_time:9.0f} points/s  {t2 / thread_time:.2f}x the in-process 2 threads")
    if args.store >= 1:
        store(int(args.store), args.store_on, args.store_path)


if __name__ == "__main__":
    main()
