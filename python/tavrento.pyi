"""The Tavrento engine from Python (numpy and pandas).

A Store is a program folder. Every call does what the matching tavrento-cli
command does and returns pandas values; long runs release the GIL. Failures
of the engine raise Error with the text the command-line tool prints; bad
arguments raise ValueError.
"""
from typing import Any, Iterable, Literal, Mapping, NamedTuple, Optional, Sequence, Union, overload

import numpy as np
import pandas as pd

Code = Union[str, int]
Params = Mapping[str, int]
Choice = Union[int, str, None]

# The slot columns of an indicator DataFrame, in the order of `tavrento-cli dump`
# (open, high, low, close, volume, provisional, change, body, maLong, ...).
SLOT_COLUMNS: list[str]
# The <slot>Percent float columns: per-mille slots divided by ten, NaN where
# the indicator pane shows nothing.
PERCENT_COLUMNS: list[str]


class Error(RuntimeError):
    """A failure the engine reported (the command-line tool's message)."""


@overload
def indicators(frame: pd.DataFrame, params: Optional[Params] = None, period: str = "daily",
               raw: Literal[False] = False) -> pd.DataFrame: ...
@overload
def indicators(frame: pd.DataFrame, params: Optional[Params] = None, period: str = "daily",
               raw: Literal[True] = ...) -> np.ndarray: ...
def indicators(frame: pd.DataFrame, params: Optional[Params] = None, period: str = "daily",
               raw: bool = False) -> Union[pd.DataFrame, np.ndarray]:
    """Every indicator slot of the bars of `frame` (open, high, low, close,
    volume; a DatetimeIndex or a "date" column) with the default parameters,
    overridden by `params` ({"rsiPeriod": 9, "maShortPeriod": 5, ...}).
    raw=True: the engine's bars as a structured array ("date" and a field per
    slot, the trade slots too) that views the engine's memory."""


def parameter_defaults() -> dict[str, int]:
    """The analysis parameters by name (as `params` takes them) and their defaults."""


class Backtest(NamedTuple):
    summary: dict[str, Any]   # the result block (capital, equity, trades, ..., tax), shortOfData, notes
    trades: pd.DataFrame      # tactic, side, entryDate, entryPrice, exitDate, exitPrice, units,
                              # gross, commission, net, barsHeld, reason
    equity: pd.Series         # by date
    drawdown: pd.Series       # by date
    marks: pd.DataFrame       # tradeMark, tradeReentry, tradeUnits, tradePerShare by date


class Optimisation(NamedTuple):
    points: pd.DataFrame                 # rank, one column per sweep, netProfit, trades, winRate,
                                         # profitFactor, expectancy, maxDrawdown, recoveryFactor,
                                         # sharpe, sortino, qualified
    walk_forward: Optional[pd.DataFrame]  # inFrom, inTo, outFrom, outTo, chosen values, inNet, ...
    summary: dict[str, Any]              # strategy, objective, points, days, capital, pbo, ...


class Portfolio(NamedTuple):
    summary: dict[str, Any]
    securities: pd.DataFrame  # code, name, trades, net
    trades: pd.DataFrame      # code, name, side, entryDate, exitDate, ..., outcome, score
    equity: pd.DataFrame      # date, equity, cash, drawdown, positions


class Store:
    """A program folder: its store, settings, watchlists and rule files."""

    def __init__(self, folder: Optional[str] = None) -> None:
        """Opens `folder`, else the folder tavrento-cli would use ($TAVRENTO_HOME, ...)."""

    @property
    def folder(self) -> str: ...

    def codes(self, period: str = "daily") -> list[str]:
        """Master-list codes with a stored series of the period, in list order."""

    def master(self) -> pd.DataFrame:
        """The master list: code, name, market, unit, symbol."""

    def series(self, code: Code, period: str = "daily") -> pd.DataFrame:
        """open, high, low, close, volume indexed by date."""

    def indicators(self, source: Union[Code, pd.DataFrame], params: Optional[Params] = None,
                   period: str = "daily", raw: bool = False) -> Union[pd.DataFrame, np.ndarray]:
        """Every indicator slot (the values of `tavrento-cli dump`) with the folder's
        parameters in force (the security's own with individual settings),
        overridden by `params`; raw=True as for tavrento.indicators."""

    def evaluate(self, code: Code, condition: Union[str, Sequence[int], None] = None,
                 capsule: Optional[int] = None, period: str = "daily") -> pd.Series:
        """Whether a condition row or capsule N holds on each bar (`tavrento-cli evaluate`)."""

    def backtest(self, code: Code, strategy: int, period: str = "daily") -> Backtest:
        """Strategy N over the stored series (`tavrento-cli backtest`)."""

    def screen(self, item: Optional[int] = None, value: int = 0, strategy: Optional[int] = None,
               capsule: Optional[int] = None, market: Choice = None, unit: Choice = None,
               margin: Choice = None, liquidity: Choice = None, multiple: int = 0,
               trading_value: Optional[tuple[int, int]] = None, input: Optional[int] = None,
               output: Optional[int] = None, threads: int = 0) -> pd.DataFrame:
        """`tavrento-cli screen`: code and name of the selected; attrs["counts"]. Writes
        watchlist `output` only when given."""

    def rank(self, strategy: int, by: str = "profit", top: int = 30, market: Choice = None,
             unit: Choice = None, margin: Choice = None, liquidity: Choice = None,
             multiple: int = 0, input: Optional[int] = None, threads: int = 0) -> pd.DataFrame:
        """`tavrento-cli rank`: the ranked back-tests; attrs["counts"]."""

    def optimize(self, strategy: int, params: Union[Iterable[str], Mapping[str, Union[str, Iterable[int]]]],
                 objective: str = "net-profit", min_trades: int = 0, code: Optional[Code] = None,
                 watchlist: Optional[int] = None, market: bool = False, search: str = "grid",
                 budget: int = 200, seed: int = 1,
                 walk_forward: Optional[tuple[int, int] | tuple[int, int, bool]] = None,
                 pbo: int = 0, monte_carlo: int = 0, threads: int = 0) -> Optimisation:
        """`tavrento-cli optimize`; params as its --param texts or {name: values}."""

    def portfolio(self, strategy: int, capital: int, max_positions: int, size: str, score: str,
                  watchlist: Optional[int] = None, market: Choice = None, date_from: int = 0,
                  date_to: int = 0, threads: int = 0) -> Portfolio:
        """`tavrento-cli portfolio`; size "fixed:YEN" | "equity:PERCENT" | "strategy",
        score "value" | "bars" | "slot:NAME" | "random:SEED"."""
