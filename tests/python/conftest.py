"""Folders and the command-line tool for the tests of the Python module.

The module (PYTHONPATH), tavrento-cli (TAV_CLI) and the market writer
(TAV_MARKET_WRITER) come from the build; ctest sets all three.
"""
import io
import os
import shutil
import subprocess

import pandas as pd
import pytest

REAL_DATA = "/work/shared/data/real"


def _tool(variable):
    path = os.environ.get(variable)
    if not path or not os.path.exists(path):
        pytest.skip(f"{variable} does not name a built program")
    return path


class Cli:
    """tavrento-cli on one program folder."""

    def __init__(self, path, folder):
        self.path = path
        self.folder = str(folder)

    def run(self, *words, check=True):
        done = subprocess.run([self.path, "--folder", self.folder, *map(str, words)],
                              capture_output=True, text=True)
        if check and done.returncode != 0:
            raise AssertionError(f"tavrento-cli {' '.join(map(str, words))}: {done.stderr}")
        return done

    def csv(self, *words, **options):
        return pd.read_csv(io.StringIO(self.run(*words).stdout), **options)


def write_market(folder, securities, bars, seed):
    subprocess.run([_tool("TAV_MARKET_WRITER"), str(folder), str(securities), str(bars), str(seed)],
                   check=True)
    return folder


@pytest.fixture(scope="session")
def market(tmp_path_factory):
    """Twelve generated securities of 700 bars (codes from 2000), capsule 1,
    strategy 1 and two watchlists."""
    return write_market(tmp_path_factory.mktemp("market"), 12, 700, 5)


@pytest.fixture
def cli(market):
    return Cli(_tool("TAV_CLI"), market)


@pytest.fixture(scope="session")
def real_market(tmp_path_factory):
    """A copy of a few securities of the real data set, when it is present."""
    if not os.path.isdir(os.path.join(REAL_DATA, "Data")):
        pytest.skip("no real data set at " + REAL_DATA)
    folder = tmp_path_factory.mktemp("real")
    os.mkdir(folder / "Data")
    shutil.copy(os.path.join(REAL_DATA, "Stock.lst"), folder / "Stock.lst")
    for name in ("7203.txt", "1001.txt"):
        if os.path.exists(os.path.join(REAL_DATA, "Data", name)):
            shutil.copy(os.path.join(REAL_DATA, "Data", name), folder / "Data" / name)
    return folder
