"""The Python module against tavrento-cli: the same folder must give the same
numbers through both, and failures the same messages."""
import gc
import io
import threading
import time
from concurrent.futures import ThreadPoolExecutor

import numpy as np
import pandas as pd
import pytest

import tavrento
from conftest import Cli, write_market, _tool


def assert_matches_dump(frame, dump):
    """`frame` holds what `tavrento-cli dump` printed, slot for slot."""
    assert list(frame.index.strftime("%Y%m%d")) == list(dump["date"])
    assert list(dump.columns[1:]) == tavrento.SLOT_COLUMNS
    for column in tavrento.SLOT_COLUMNS:
        ours = frame[column].to_numpy()
        # The EMAs are 32-bit floats, printed with nine digits (exact for a float).
        theirs = dump[column].to_numpy(dtype=ours.dtype if ours.dtype.kind == "f" else None)
        np.testing.assert_array_equal(ours, theirs, err_msg=column)


def read_dump(cli, *words):
    return cli.csv("dump", *words, dtype={"date": str}, float_precision="round_trip")


@pytest.mark.parametrize("code", ["2000", "2011"])
def test_indicators_equal_dump_from_store_and_from_frame(market, cli, code):
    store = tavrento.Store(str(market))
    dump = read_dump(cli, code)
    assert_matches_dump(store.indicators(code), dump)
    # The same bars handed over as a DataFrame, with the default parameters the folder has.
    assert_matches_dump(tavrento.indicators(store.series(code)), dump)


def test_series_and_master_equal_cli(market, cli):
    store = tavrento.Store(str(market))
    series = store.series("2005")
    theirs = cli.csv("series", "2005", dtype={"date": str})
    assert list(series.index.strftime("%Y%m%d")) == list(theirs["date"])
    assert series.values.tolist() == theirs.drop(columns="date").values.tolist()
    master = store.master().set_index("code")
    assert store.codes() == list(master.index)
    for code in ("2000", "2007"):
        fields = dict(line.split(": ", 1)
                      for line in cli.run("lookup", code).stdout.strip().splitlines())
        assert (master.loc[code, "name"], master.loc[code, "market"], str(master.loc[code, "unit"])) \
            == (fields["name"], fields["market"], fields["unit"])


@pytest.mark.parametrize("change,message", [
    (lambda f: f.drop(columns="volume"), "the frame has no column volume"),
    (lambda f: f.assign(close=f["close"].where(f["close"] != f["close"].iloc[3])), "no whole number"),
    (lambda f: f.assign(open=f["open"] + 0.5), "no whole number"),
    (lambda f: f.assign(high=f["high"] + 2**31), "beyond a 32-bit price"),
    (lambda f: f.assign(low=f["low"].astype(str)), "not numeric"),
])
def test_frames_the_bars_cannot_hold_are_refused(market, change, message):
    bars = tavrento.Store(str(market)).series("2000")
    with pytest.raises(ValueError, match=message):
        tavrento.indicators(change(bars))


def test_frames_in_other_shapes_give_the_same_slots(market):
    bars = tavrento.Store(str(market)).series("2000")
    expected = tavrento.indicators(bars)
    dated = bars.reset_index()
    dated["date"] = dated["date"].dt.strftime("%Y%m%d")
    for frame in (dated, bars.astype(float)):
        pd.testing.assert_frame_equal(tavrento.indicators(frame), expected)


def test_frames_keep_their_values_while_later_ones_are_made(market):
    """Frames share no memory: one that goes hands its memory to the next,
    never one that is still held."""
    store = tavrento.Store(str(market))
    first = store.indicators("2000")
    kept = first.copy(deep=True)
    second = store.indicators("2001")
    del second
    gc.collect()
    for code in ("2002", "2003", "2004"):
        store.indicators(code)
    pd.testing.assert_frame_equal(first, kept)


def test_raw_records_view_the_engine_bars(market):
    store = tavrento.Store(str(market))
    frame = store.indicators("2006")
    records = store.indicators("2006", raw=True)
    assert not records.flags.owndata and records.base is not None
    assert records["date"][0].decode() == frame.index[0].strftime("%Y%m%d")
    for column in ("close", "volume", "rsi", "macdLongEma", "volatility5", "turnMarkRsi"):
        np.testing.assert_array_equal(records[column], frame[column].to_numpy(), err_msg=column)


def test_calls_on_threads_give_the_results_of_one_thread(market):
    store = tavrento.Store(str(market))
    codes = store.codes()
    alone = [store.indicators(code) for code in codes]
    with ThreadPoolExecutor(4) as pool:
        together = list(pool.map(store.indicators, codes))
        frames = list(pool.map(lambda code: tavrento.indicators(store.series(code)), codes))
    for expected, ours, theirs in zip(alone, together, frames):
        pd.testing.assert_frame_equal(ours, expected)
        pd.testing.assert_frame_equal(theirs, expected)


def test_percent_columns_scale_the_per_mille_slots(market):
    frame = tavrento.Store(str(market)).indicators(2001)
    assert set(tavrento.PERCENT_COLUMNS) <= set(frame.columns)
    defined = frame["rsi"] >= 0
    np.testing.assert_allclose(frame.loc[defined, "rsiPercent"], frame.loc[defined, "rsi"] / 10)
    assert frame.loc[~defined, "rsiPercent"].isna().all()
    assert frame["rsiPercent"].dropna().between(0, 100).all()
    # The deviation of a bar without a short average is shown as nothing.
    undefined = frame["deviationLong"] == -10000
    assert frame.loc[undefined, "deviationLongPercent"].isna().all()
    assert frame.loc[~undefined, "deviationLongPercent"].notna().all()


def test_parameters_by_name_match_the_settings_file(tmp_path):
    folder = write_market(tmp_path, 2, 300, 9)
    cli = Cli(_tool("TAV_CLI"), folder)
    store = tavrento.Store(str(folder))
    ours = store.indicators("2001", params={"rsiPeriod": 9, "maShortPeriod": 5})
    for name, value in (("rsiPeriod.daily", 9), ("maShortPeriod.daily", 5)):
        cli.run("settings", "set", name, value)
    dump = read_dump(cli, "2001")
    assert_matches_dump(ours, dump)
    # Now the folder's own settings are these.
    assert_matches_dump(store.indicators("2001"), dump)
    with pytest.raises(ValueError, match="no such analysis parameter: bogus"):
        store.indicators("2001", params={"bogus": 3})
    with pytest.raises(ValueError, match="rsiPeriod"):
        store.indicators("2001", params={"rsiPeriod": 256})


@pytest.mark.parametrize("rule,words", [
    ({"capsule": 1}, ["--capsule", "1"]),
    ({"condition": [1, 0, 0, 2, 5]}, ["--condition", "1 0 0 2 5"]),
    ({"condition": "1 0 0 3 0"}, ["--condition", "1 0 0 3 0"]),
])
def test_evaluate_equals_cli(market, cli, rule, words):
    holds = tavrento.Store(str(market)).evaluate("2004", **rule)
    theirs = cli.csv("evaluate", "2004", *words, header=None, names=["date", "holds"],
                     dtype={"date": str})
    assert holds.dtype == bool
    assert list(holds.index.strftime("%Y%m%d")) == list(theirs["date"])
    assert holds.tolist() == (theirs["holds"] == 1).tolist()
    assert holds.any() or "condition" in rule


def test_backtest_equals_cli(market, cli):
    result = tavrento.Store(str(market)).backtest("2002", 1)
    printed = cli.run("backtest", "2002", "--strategy", "1").stdout.split("\n\n")[-1]
    for line in printed.strip().splitlines():
        name, value = line.split(" ")
        assert result.summary[name] == pytest.approx(float(value), rel=1e-5), name
    trips = cli.csv("backtest", "2002", "--strategy", "1", "--trades",
                    dtype={"entryDate": str, "exitDate": str}, keep_default_na=False)
    assert len(result.trades) == len(trips) > 0
    assert list(result.trades["entryDate"].dt.strftime("%Y%m%d")) == list(trips["entryDate"])
    assert result.trades["net"].tolist() == trips["net"].tolist()
    equity = cli.csv("backtest", "2002", "--strategy", "1", "--equity", dtype={"date": str})
    assert list(result.equity.index.strftime("%Y%m%d")) == list(equity["date"])
    assert result.equity.tolist() == equity["equity"].tolist()
    assert result.drawdown.tolist() == equity["drawdown"].tolist()


def test_market_wide_runs_equal_cli(market, cli):
    store = tavrento.Store(str(market))
    ranked = store.rank(1, top=5)
    theirs = cli.csv("rank", "--strategy", "1", "--top", "5", "--format", "csv", dtype={"code": str})
    assert ranked["code"].tolist() == theirs["code"].tolist()
    assert ranked["markedProfit"].tolist() == theirs["markedProfit"].tolist()

    selected = store.screen(item=10)
    theirs = cli.csv("screen", "--item", "10", "--output", "2", "--format", "csv", dtype={"code": str})
    assert selected["code"].tolist() == theirs["code"].tolist() != []
    assert selected.attrs["counts"]["selected"] == len(theirs)

    sweep = store.optimize(1, {"maShortPeriod": [4, 9], "maLongPeriod": "20,26"},
                           objective="sharpe", walk_forward=(6, 3))
    printed = cli.run("optimize", "--strategy", "1", "--param", "maShortPeriod=4,9", "--param",
                      "maLongPeriod=20,26", "--objective", "sharpe", "--walk-forward", "6:3",
                      "--format", "csv").stdout
    tables = [pd.read_csv(io.StringIO(text)) for text in printed.split("\n\n")]
    compared = ["maShortPeriod", "maLongPeriod", "netProfit", "trades", "maxDrawdown"]
    assert sweep.points[compared].values.tolist() == tables[0][compared].values.tolist()
    assert sweep.points["netProfit"].nunique() > 1
    np.testing.assert_allclose(sweep.points["sharpe"], tables[0]["sharpe"], atol=5e-4)
    assert sweep.walk_forward["outNet"].tolist() == tables[1]["outNet"].tolist()

    account = store.portfolio(1, capital=3_000_000, max_positions=3, size="equity:30", score="value")
    theirs = cli.csv("portfolio", "--strategy", "1", "--capital", "3000000", "--max-positions", "3",
                     "--size", "equity:30", "--score", "value", "--trades", "--format", "csv",
                     dtype={"code": str}, keep_default_na=False)
    assert account.trades["code"].tolist() == theirs["code"].tolist()
    assert account.trades["units"].tolist() == theirs["units"].tolist()
    assert account.trades["outcome"].tolist() == theirs["outcome"].tolist()


def test_screen_writes_the_watchlist_the_cli_writes(tmp_path):
    ours, theirs = (write_market(tmp_path / name, 12, 700, 5) for name in ("ours", "theirs"))
    before = (ours / "Focus2.lst").read_bytes() if (ours / "Focus2.lst").exists() else None
    tavrento.Store(str(ours)).screen(item=10)
    assert ((ours / "Focus2.lst").read_bytes() if (ours / "Focus2.lst").exists() else None) == before
    tavrento.Store(str(ours)).screen(item=10, output=2)
    Cli(_tool("TAV_CLI"), theirs).run("screen", "--item", "10", "--output", "2")
    assert (ours / "Focus2.lst").read_bytes() == (theirs / "Focus2.lst").read_bytes()


OPTIMIZE = ["optimize", "--strategy", "1", "--objective", "sharpe", "--param"]
PORTFOLIO = ["portfolio", "--strategy", "1", "--capital", "1000000", "--max-positions", "3"]


@pytest.mark.parametrize("call,words", [
    (lambda store: store.optimize(1, ["rsiPeriod=0..300/100"]), OPTIMIZE + ["rsiPeriod=0..300/100"]),
    (lambda store: store.optimize(1, {"4.buy.1.n": [5]}), OPTIMIZE + ["4.buy.1.n=5"]),
    (lambda store: store.indicators("2000", params={"rsiPeriod": 300}), OPTIMIZE + ["rsiPeriod=300"]),
    (lambda store: store.portfolio(1, 1_000_000, 3, "equity:101", "value"),
     PORTFOLIO + ["--size", "equity:101", "--score", "value"]),
    (lambda store: store.portfolio(1, 1_000_000, 3, "strategy", "slot:none"),
     PORTFOLIO + ["--size", "strategy", "--score", "slot:none"]),
])
def test_refused_arguments_say_what_the_cli_says(market, cli, call, words):
    told = cli.run(*words, check=False).stderr.strip()
    told = told.removeprefix("tavrento-cli: ").removeprefix("--param: ").removeprefix("--")
    with pytest.raises(ValueError) as failure:
        call(tavrento.Store(str(market)))
    assert str(failure.value) == told


def test_failures_carry_the_engine_message(market, cli):
    store = tavrento.Store(str(market))
    told = cli.run("dump", "9999", check=False).stderr.strip().removeprefix("tavrento-cli: ")
    assert told == "no stored series for 9999"
    for call in (lambda: store.series("9999"), lambda: store.indicators("9999"),
                 lambda: store.evaluate("9999", capsule=1), lambda: store.backtest("9999", 1)):
        with pytest.raises(tavrento.Error) as failure:
            call()
        assert str(failure.value) == told
    told = cli.run("backtest", "2000", "--strategy", "7", check=False).stderr.strip()
    with pytest.raises(tavrento.Error) as failure:
        store.backtest("2000", 7)
    assert "tavrento-cli: " + str(failure.value) == told
    with pytest.raises(tavrento.Error, match="no program folder at /nonexistent/folder"):
        tavrento.Store("/nonexistent/folder")
    with pytest.raises(ValueError, match="not a security code: 12/3"):
        store.series("12/3")


def count_until(event):
    """Turns of a Python loop per second until `event` is set."""
    count = 0
    started = time.perf_counter()
    while not event.is_set():
        count += 1
    return count / (time.perf_counter() - started)


def test_long_runs_release_the_gil(tmp_path):
    """Two securities swept on two threads while this thread counts: a call
    that kept the GIL through its run would stop the count for its length."""
    folder = write_market(tmp_path, 2, 5000, 3)
    store = tavrento.Store(str(folder))
    store.optimize(1, {"rsiPeriod": [6]}, code="2000")

    def sweep(code):
        for _ in range(3):
            store.optimize(1, {"rsiPeriod": range(2, 60)}, code=code, threads=1)

    def run_both(done):
        workers = [threading.Thread(target=sweep, args=(code,)) for code in ("2000", "2001")]
        for worker in workers:
            worker.start()
        for worker in workers:
            worker.join()
        done.set()

    idle = threading.Event()
    threading.Timer(0.3, idle.set).start()
    alone = count_until(idle)
    done = threading.Event()
    threading.Thread(target=run_both, args=(done,)).start()
    beside = count_until(done)
    # Sharing the processor with two busy workers slows the loop down; a held
    # GIL would all but stop it (about a tenth of its pace).
    assert beside > 0.2 * alone, (alone, beside)


def test_real_securities_equal_dump(real_market):
    cli = Cli(_tool("TAV_CLI"), real_market)
    store = tavrento.Store(str(real_market))
    codes = store.codes()
    assert "7203" in codes
    for code in codes[:2]:
        assert_matches_dump(store.indicators(code), read_dump(cli, code))
