#!/usr/bin/python3
"""Study throughput: an in-process study on 1 and 2 threads, and a LocalCluster of two worker
processes against it, with Dask's overhead per chunk.

    PYTHONPATH=build/default/python /usr/bin/python3 bench/python/bench_study.py [--points N] [--repeat R]

The grid is planar1 over lift-off x conductivity at the window's default coil, 100 kHz and Acc
1e-4. Times are the fastest of R runs (the machine is shared: the fastest is the least disturbed).
The cluster's overhead per chunk comes from two chunk sizes: on 2 workers
    T(chunks) ~ T_compute / 2 + chunks * overhead / 2,
so overhead = 2 * (T_small - T_large) / (chunks_small - chunks_large).
"""

import argparse
import math
import time

import numpy as np

import veldo

COIL = dict(N=200, R1=2e-3, R2=4e-3, L=1e-3)


def grid(points):
    side = int(math.isqrt(points))
    return {"LO": np.linspace(5e-5, 2e-3, side), "CON1": np.geomspace(5e5, 6e7, side)}


def fastest(repeat, run):
    best, result = math.inf, None
    for _ in range(repeat):
        start = time.perf_counter()
        result = run()
        best = min(best, time.perf_counter() - start)
    return best, result


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--points", type=int, default=10000)
    parser.add_argument("--repeat", type=int, default=3)
    args = parser.parse_args()
    g = grid(args.points)
    n = math.prod(len(a) for a in g.values())

    def study(**kw):
        return veldo.study("planar1", g, MR1=1.0, f=1e5, **COIL, **kw)

    study(chunk=64)  # imports and first touches out of the measurement
    t1, one = fastest(args.repeat, lambda: study(threads=1))
    t2, two = fastest(args.repeat, lambda: study(threads=2))
    assert two.equals(one)
    print(f"study of {n} points (planar1, Acc 1e-4), in-process, chunk 4096:")
    print(f"  1 thread : {t1:7.3f} s  {n / t1:8.0f} points/s")
    print(f"  2 threads: {t2:7.3f} s  {n / t2:8.0f} points/s  speed-up {t1 / t2:.2f}x")

    from distributed import Client, LocalCluster
    start = time.perf_counter()
    with LocalCluster(n_workers=2, threads_per_worker=1, processes=True,
                      dashboard_address=None) as cluster, Client(cluster) as client:
        up = time.perf_counter() - start
        client.run(lambda: __import__("veldo"))
        small, large = max(1, n // 100), max(1, n // 4)
        chunks = {c: math.ceil(n / c) for c in (small, large)}
        times = {}
        for c in (small, large):
            study(client=client, chunk=c)  # warm: the function reaches every worker
            times[c], df = fastest(args.repeat, lambda: study(client=client, chunk=c))
            assert df.equals(one)
    overhead = 2 * (times[small] - times[large]) / (chunks[small] - chunks[large])
    print(f"LocalCluster, 2 worker processes (started in {up:.2f} s):")
    for c in (small, large):
        print(f"  chunk {c:5d} ({chunks[c]:4d} chunks): {times[c]:7.3f} s  {n / times[c]:8.0f} "
              f"points/s  {t2 / times[c]:.2f}x the in-process 2 threads")
    print(f"  overhead per chunk: {overhead * 1e3:.2f} ms "
          f"(= {overhead * n / t1:.0f} points of compute)")


if __name__ == "__main__":
    main()
