"""Shared fixtures of the package's tests: the front end to compare with, and a Dask cluster."""

import os
import pathlib
import subprocess

import pytest

ROOT = pathlib.Path(__file__).resolve().parents[2]


def cli_path():
    return os.environ.get("VELDO_CLI", str(ROOT / "build" / "default" / "cli" / "veldo-cli"))


@pytest.fixture(scope="session")
def veldo_cli():
    """Runs veldo-cli and returns (X0, L0, rows) with every number as printed (17 digits)."""
    path = cli_path()
    if not os.access(path, os.X_OK):
        pytest.skip(f"veldo-cli is not built at {path}")

    def run(*args):
        out = subprocess.run([path, *args, "--threads", "1"], check=True, capture_output=True,
                             text=True).stdout.splitlines()
        X0 = float(out[0].removeprefix("# X0="))
        L0 = float(out[1].removeprefix("# L0="))
        header = out[2].split(",")
        rows = [dict(zip(header, line.split(","))) for line in out[3:]]
        return X0, L0, rows

    return run


@pytest.fixture(scope="module")
def cluster_client():
    """A client of a LocalCluster with two single-threaded worker processes (they inherit
    PYTHONPATH, so they import the same veldo)."""
    distributed = pytest.importorskip("distributed")
    with distributed.LocalCluster(n_workers=2, threads_per_worker=1, processes=True,
                                  dashboard_address=None) as cluster, \
            distributed.Client(cluster) as client:
        yield client
