"""Studies: the grid's rows, chunking, refused points, the file, and a Dask cluster giving the
same bits as the in-process run, a worker killed in the middle included; the Dataset, and the Zarr
store that resumes an interrupted study and refuses another study's."""

import os
import pathlib
import re
import shutil
import sys
import warnings

import cloudpickle

import numpy as np
import pytest

import veldo

COIL = dict(N=200, R1=2e-3, R2=4e-3, L=1e-3)
GRID = {"LO": np.linspace(5e-5, 2e-3, 7), "CON1": np.array([1e6, 5.8e7, 2e7]),
        "f": np.array([1e4, 1e5])}


def small_study(**kw):
    kw.setdefault("engine", "adaptive")
    return veldo.study("planar1", GRID, MR1=1.0, **COIL, **kw)


def test_rows_are_the_outer_product_first_axis_slowest():
    df = small_study()
    assert list(df.columns) == ["LO", "CON1", "f", "dR", "dX", "ier", "error"]
    assert len(df) == 7 * 3 * 2
    lo, con, f = np.meshgrid(*GRID.values(), indexing="ij")
    z = veldo.planar1(200, 2e-3, 4e-3, 1e-3, f, lo, con, 1.0, engine="adaptive")
    assert np.array_equal(df["LO"], lo.ravel()) and np.array_equal(df["f"], f.ravel())
    assert np.array_equal(df["dR"], z.dR.ravel()) and np.array_equal(df["dX"], z.dX.ravel())
    assert (df["ier"] == 0).all() and df["error"].isna().all()
    assert df.attrs == {"case": "planar1", "acc": 1e-4, "engine": "adaptive", "MR1": 1.0, **COIL}


@pytest.mark.parametrize("chunk,threads", [(1, 1), (5, 2), (42, 1), (1000, 0)])
def test_chunks_and_threads_do_not_change_a_bit(chunk, threads):
    reference = small_study(chunk=17)
    df = small_study(chunk=chunk, threads=threads)
    assert df.equals(reference)


def test_batch_engine_rows_are_within_acc_and_do_not_depend_on_threads():
    adaptive = small_study()
    batch = small_study(chunk=17, engine="batch")
    assert batch.attrs["engine"] == "batch" and (batch["ier"] == 0).all()
    dz = np.hypot(batch["dR"] - adaptive["dR"], batch["dX"] - adaptive["dX"])
    assert (dz <= 1e-4 * np.hypot(adaptive["dR"], adaptive["dX"])).all()
    assert small_study(chunk=17, threads=3, engine="batch").equals(batch)


@pytest.mark.parametrize("grid,fixed,error", [
    ({"LO": [1e-4], "XX": [1.0]}, dict(CON1=1e6, MR1=1.0, f=1e5), "has no argument XX"),
    ({"LO": [1e-4]}, dict(LO=1e-4, CON1=1e6, MR1=1.0, f=1e5), "LO given both"),
    ({"LO": [1e-4]}, dict(CON1=1e6, f=1e5), "needs MR1"),
    ({"LO": []}, dict(CON1=1e6, MR1=1.0, f=1e5), "non-empty 1-D"),
])
def test_a_malformed_grid_raises_before_any_work(grid, fixed, error):
    with pytest.raises((TypeError, ValueError), match=error):
        veldo.study("planar1", grid, **COIL, **fixed)


def test_refused_points_say_which_and_why_and_the_rest_is_kept():
    grid = {"LO": np.array([1e-4, -1e-4, np.nan, 3e-4]), "MR1": np.array([1.0, 50.0])}
    with pytest.warns(veldo.StudyWarning, match="4 of 8 points were refused"):
        df = veldo.study("planar1", grid, chunk=3, CON1=1e6, f=1e5, engine="adaptive", **COIL)
    refused = df[df["error"].notna()]
    assert list(refused.index) == [2, 3, 4, 5]
    assert list(refused["error"]) == ["Check for negative data values"] * 2 + \
        ["'nan' is not a valid floating point value"] * 2
    assert refused["dR"].isna().all() and (refused["ier"] == -1).all()
    kept = df[df["error"].isna()]
    z = veldo.planar1(200, 2e-3, 4e-3, 1e-3, 1e5, kept["LO"].to_numpy(), 1e6, kept["MR1"].to_numpy(),
                      engine="adaptive")
    assert np.array_equal(kept["dR"], z.dR) and np.array_equal(kept["dX"], z.dX)


@pytest.mark.parametrize("name", ["study.csv", "study.pkl"])
def test_the_file_reads_back_bit_for_bit(tmp_path, name):
    grid = {"LO": np.array([1e-4, -1.0, 1.0 / 3.0 * 1e-3]), "CON1": np.array([1e6, 0.1 + 0.2])}
    with warnings.catch_warnings():
        warnings.simplefilter("ignore", veldo.StudyWarning)
        df = veldo.study("planar1", grid, path=tmp_path / name, MR1=1.0, f=1e5, **COIL)
    back = veldo.read_study(tmp_path / name)
    assert back.equals(df)
    assert back.attrs == df.attrs
    assert back["error"].tolist() == df["error"].tolist()


# A grid of a few thousand points in chunks of a couple of hundred: enough tasks for both workers.
CLUSTER_GRID = {"LO": np.linspace(1e-4, 2e-3, 60), "CON1": np.linspace(1e6, 6e7, 50)}


def cluster_study(**kw):
    return veldo.study("planar1", CLUSTER_GRID, chunk=200, MR1=1.0, f=1e5, **COIL, **kw)


@pytest.fixture(scope="module")
def in_process():
    return cluster_study(threads=2)


def test_a_cluster_gives_the_in_process_bits(cluster_client, in_process):
    df = cluster_study(client=cluster_client)
    assert len(df) == 3000
    assert df.equals(in_process)


def test_refused_points_on_a_cluster(cluster_client):
    grid = {"B1": np.array([5e-3, 3e-3, 4e-3]), "CON1": np.array([1e6, 2e6])}
    with pytest.warns(veldo.StudyWarning):
        df = veldo.study("bore1", grid, client=cluster_client, chunk=2, MR1=1.0, f=1e4, **COIL)
    assert list(df["error"].notna()) == [False, False, True, True, False, False]
    assert set(df["error"].dropna()) == {"Check the geometry: the coil must fit inside the bore (B1 >= R2)"}


class KillOnce:
    """A worker plugin that ends its worker's process when its chunk number ``after`` starts
    executing, once per marker file: the nanny starts a new worker and the scheduler runs the
    chunk again."""

    def __init__(self, marker, after=0):
        self.marker, self.left = marker, after

    def setup(self, worker):
        pass

    def transition(self, key, start, finish, **kwargs):
        if finish == "executing" and not os.path.exists(self.marker):
            if self.left == 0:
                pathlib.Path(self.marker).touch()
                os._exit(1)
            self.left -= 1


def test_a_worker_killed_in_the_middle_still_gives_every_point(cluster_client, tmp_path, in_process):
    # The plugin stays with the cluster (it kills no more once the marker exists). It travels by
    # value: the workers cannot import this test module.
    cloudpickle.register_pickle_by_value(sys.modules[__name__])
    marker = tmp_path / "killed"
    cluster_client.register_worker_plugin(KillOnce(str(marker)), name="kill-once")
    df = cluster_study(client=cluster_client)
    assert marker.exists()
    assert df.equals(in_process)


# A store's study: a row of refused points (negative lift-off) in its first chunk; 15 chunks.
STORE_GRID = {"LO": np.concatenate([[-1e-4], np.linspace(1e-4, 2e-3, 59)]), "CON1": np.linspace(1e6, 6e7, 50)}


def store_study(path, grid=STORE_GRID, **kw):
    with warnings.catch_warnings():
        warnings.simplefilter("ignore", veldo.StudyWarning)
        return veldo.study("planar1", grid, path=path, **{"chunk": 200, "MR1": 1.0, "f": 1e5, **COIL, **kw})


@pytest.fixture(scope="module")
def stored(tmp_path_factory):
    """A store computed in one go here, on 2 threads: (its path, its Dataset in memory)."""
    path = tmp_path_factory.mktemp("reference") / "study.zarr"
    return path, store_study(path, threads=2).load()


def test_the_dataset_is_the_table_over_the_axes_and_the_store_holds_it(stored):
    ds = store_study(None, dataset=True)
    assert ds.identical(stored[1])
    df = store_study(None)
    assert np.array_equal(ds["dR"].values.ravel(), df["dR"], equal_nan=True)
    assert list(ds["error"].values.ravel()) == list(df["error"])
    assert ds.attrs["engine"] == "batch" and ds.attrs["acc"] == 1e-4 and ds.attrs["veldo_version"] == veldo.__version__


def test_a_worker_killed_while_filling_a_store_leaves_it_complete(cluster_client, tmp_path, stored):
    cloudpickle.register_pickle_by_value(sys.modules[__name__])
    marker = tmp_path / "killed"
    cluster_client.register_worker_plugin(KillOnce(str(marker), after=3), name="kill-once")
    ds = store_study(tmp_path / "cluster.zarr", client=cluster_client)
    assert marker.exists()
    assert ds.load().identical(stored[1])


@pytest.mark.parametrize("after,interruption", [(1, KeyboardInterrupt), (9, RuntimeError)])
def test_an_interrupted_study_computes_only_the_missing_chunks(tmp_path, stored, after, interruption):
    def interrupt(complete, chunks):
        if complete == after:
            raise interruption

    with pytest.raises(interruption):
        store_study(tmp_path / "s.zarr", progress=interrupt)
    with pytest.raises(ValueError, match=f"lacks {15 - after} of its 15 chunks"):
        veldo.read_study(tmp_path / "s.zarr")
    computed = []
    ds = store_study(tmp_path / "s.zarr", progress=lambda complete, chunks: computed.append(complete))
    assert computed == list(range(after + 1, 16))
    assert ds.load().identical(stored[1])


def test_a_chunk_half_written_when_its_worker_died_is_computed_again(tmp_path, stored):
    import zarr

    path = tmp_path / "s.zarr"
    shutil.copytree(stored[0], path)
    (path / "progress" / "refused" / "4").unlink()  # chunk 4 lost its mark, and half its data
    zarr.open_consolidated(str(path), mode="r+")["dX"][16:20, :] = 0.0
    computed = []
    ds = store_study(path, progress=lambda complete, chunks: computed.append(complete))
    assert computed == [15] and ds.load().identical(stored[1])


@pytest.mark.parametrize("change,message", [
    (dict(MR1=2.0), """its problem '{"case": "planar1", "N": 200.0, "R1": 0.002, "R2": 0.004, "L": 0.001, "f": """
                    """100000.0, "LO": null, "CON1": null, "MR1": 1.0}', this study's '{"""),
    (dict(grid={**STORE_GRID, "CON1": STORE_GRID["CON1"][::-1]}), "its grid's values"),
    (dict(grid={"LO": STORE_GRID["LO"]}, CON1=1e6), """its grid's axes '{"LO": 60, "CON1": 50}', this study's '{"LO": 60}'"""),
    (dict(engine="adaptive"), "its engine 'batch', this study's 'adaptive'"),
    (dict(acc=1e-5), "its accuracy 0.0001, this study's 1e-05"),
    (dict(chunk=100), "its chunk size 200, this study's 100. It was left as it is (chunk=200 continues it)"),
])
def test_a_store_of_another_study_is_refused_and_left_as_it_is(stored, change, message):
    before = {p: p.read_bytes() for p in stored[0].rglob("*") if p.is_file()}
    with pytest.raises(ValueError, match=re.escape(message)):
        store_study(stored[0], **change)
    assert {p: p.read_bytes() for p in stored[0].rglob("*") if p.is_file()} == before


def test_a_folder_that_is_no_study_store_is_refused(tmp_path):
    (tmp_path / "s.zarr").mkdir()
    (tmp_path / "s.zarr" / "notes.txt").write_text("mine")
    with pytest.raises(ValueError, match="is not the store of a VELDO study; it was left as it is"):
        store_study(tmp_path / "s.zarr")
