#!/usr/bin/python3
"""A study chunk's cost inside a Dask worker process, without the scheduling: the 20 chunks of
bench_study.py's grid (planar1, 10^6 points, chunks of 50,000, Acc 1e-4, the batch engine) one after
the other, on the worker's event-loop thread (client.run), on a thread of its own in the worker,
and as one task; then the same here. Figures: processor time and minor page faults per chunk of
the thread that ran them, the fastest of 5 passes. The worker runs with Dask's allocator setting
(MALLOC_TRIM_THRESHOLD_=65536) or, with "glibc", with glibc's defaults.

    PYTHONPATH=build/default/python /usr/bin/python3 bench/python/bench_worker.py [dask|glibc]
"""

import resource
import sys
import threading
import time

import numpy as np


def loop(reps=5):
    import veldo._study as S

    g = {"LO": np.linspace(5e-5, 2e-3, 1000), "CON1": np.geomspace(5e5, 6e7, 1000)}
    axes, fixed = S._prepare("planar1", g, dict(N=200, R1=2e-3, R2=4e-3, L=1e-3, f=1e5, MR1=1.0))
    shape = (1000, 1000)
    block = S._block(shape, 50000)
    ranges = [S._chunk_range(shape, block, k)[1:] for k in range(S._chunk_count(shape, block))]
    best = (float("inf"), 0.0)
    for _ in range(reps):
        faults, cpu = resource.getrusage(resource.RUSAGE_THREAD).ru_minflt, time.thread_time()
        for s, e in ranges:
            S.evaluate_chunk("planar1", axes, fixed, 1e-4, s, e)
        cpu = (time.thread_time() - cpu) / len(ranges)
        faults = (resource.getrusage(resource.RUSAGE_THREAD).ru_minflt - faults) / len(ranges)
        best = min(best, (cpu * 1e3, faults))
    return best


def in_thread():
    out = []
    t = threading.Thread(target=lambda: out.append(loop()))
    t.start()
    t.join()
    return out[0]


def main():
    import dask
    from distributed import Client, LocalCluster

    malloc = sys.argv[1] if len(sys.argv) > 1 else "dask"
    environ = dict(dask.config.get("distributed.nanny.pre-spawn-environ"))
    if malloc == "glibc":
        environ.pop("MALLOC_TRIM_THRESHOLD_", None)
    with dask.config.set({"distributed.nanny.pre-spawn-environ": environ}), \
            LocalCluster(n_workers=1, threads_per_worker=1, dashboard_address=None) as local, Client(local) as client:
        rows = [("worker, event-loop thread", next(iter(client.run(loop).values()))),
                ("worker, a thread of its own", next(iter(client.run(in_thread).values()))),
                ("worker, one task", client.submit(loop, pure=False).result())]
    rows += [("here, main thread", loop()), ("here, a thread of its own", in_thread())]
    print(f"a 50,000-point chunk, the worker with {malloc}'s allocator settings (ms processor, page faults):")
    for label, (ms, faults) in rows:
        print(f"  {label:28s} {ms:6.1f} ms {faults:7.0f} faults")


if __name__ == "__main__":
    main()
