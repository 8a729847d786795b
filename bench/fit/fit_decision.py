#!/usr/bin/python3
"""Fits the weights by which the graphics finder decides whether a run of one width holds
pictures, from the runs it judged in labelled images, and writes them as tables.

    bench/fit/fit_decision.py [EVIDENCE]

EVIDENCE is the table `graphics_finder_bench --evidence EVIDENCE` writes (by default the
script runs build/native/bench/graphics_finder_bench to make it): a line for every run the
finder judged in the first maker's tuning images, in images of the second maker set apart
for fitting, and in the real corpus, with its measures and whether it shows a known block
(`graphics`), lies off them or at another width (`other`, `wrong`), or lies where nothing
is known (`unknown`, left out).

The weights are those of a logistic regression on the standardised measures, its L2 penalty
set by PENALTY and each weight held to the sign SIGNS allows it; every run counts once, but
that the two makers' runs weigh the same in all. They are
fitted once on everything, the table the finder ships (written to
core/analysis/finder/decision_table.inc), and again without the data each unseen figure is
scored on, into bench/fit/tables.tsv: without the first maker, without the second, and
without each source of the real corpus in turn. The bench scores each of them with its own
table.
"""
import csv
import os
import subprocess
import sys
import tempfile

import numpy as np
from scipy.optimize import minimize

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
PENALTY = 1.0  # the inverse of the L2 penalty on the standardised weights
# The way each measure may count, from what it measures: 1 only for pictures, -1 only against
# them, 0 either way. A weight that the data would give the other sign is 0 instead: a sign
# that no reason backs merely fits the images at hand.
SIGNS = {
    "rows_log": 0,          # long tables are as long as long sheets
    "width_log": 0,
    "score_per_cell": 1,    # the rows continue better at the width than beside it
    "score_log": 1,
    "continuity": 1,
    "margin": 1,            # the width stands out of every other in the cells
    "best_share": 1,
    "double_lag": -1,       # rows continue less two rows down than one
    "ragged": -1,           # random bytes have many ink edges
    "exact_corr": 1,
    "worst_bit": 1,         # a bit that flips row after row is a count's
    "inked": -1,            # pictures have blank and filled bytes
    "zero_share": 1,
    "ff_share": 1,
    "text": -1,
    "counting": -1,         # columns that step evenly are a table's
    "changes": 1,           # a level map's numbers leap where they change
    "tile_edges": 1,        # characters end every 8 bytes
    "masked_share": 1,      # a mask clears what its graphic sets
    "bit_balance": 1,       # small numbers use only the low bits
    "seam": 1,              # shapes cross the seams between the bytes of a row
    "alphabet": -1,         # code and tables use many values
    "entropy": -1,
    "repeat_contrast": 1,
    "instructions": -1,
    "small_values": -1,
    "blank_rows": 1,
    "column_alphabet": 1,   # a table's columns each hold their own kind of number
    "runs": 0,              # fills and level maps both repeat bytes
    "pair_ink_gap": 0,      # masks and the high bytes of addresses both differ from their pair
    "bit_pairs": 1,         # pixels side by side are set together
    "letters": -1,
}
TRAINED_SETS = ("first", "other", "real")
LABELS = {"graphics": 1, "other": 0, "wrong": 0}


def read_evidence(path):
    with open(path, newline="") as table:
        rows = list(csv.reader(table, delimiter="\t"))
    head = rows[0]
    first = head.index("kept") + 1
    names = head[first:]
    runs, sources = [], set()
    for row in rows[1:]:
        fields = dict(zip(head[:first], row[:first]))
        if fields["set"] == "real":
            sources.add(fields["group"])
        if fields["set"] not in TRAINED_SETS or fields["label"] not in LABELS:
            continue
        runs.append((fields["set"], fields["group"], LABELS[fields["label"]],
                     [float(v) for v in row[first:]]))
    return names, runs, sorted(sources)


def logistic(x, y, weight, signs):
    """Bias and weights of the logistic regression, each weight of the sign allowed."""
    d = x.shape[1]

    def loss(theta):
        z = x @ theta[:d] + theta[d]
        p = 1 / (1 + np.exp(-z))
        value = np.sum(weight * (np.logaddexp(0, z) - y * z)) + 0.5 / PENALTY * theta[:d] @ theta[:d]
        gradient = np.concatenate([x.T @ (weight * (p - y)) + theta[:d] / PENALTY,
                                   [np.sum(weight * (p - y))]])
        return value, gradient

    bounds = [(None, None) for s in signs]
    result = minimize(loss, np.zeros(d + 1), jac=True, method="L-BFGS-B",
                      bounds=bounds + [(None, None)])
    return result.x[d], result.x[:d]


def fit(runs, names):
    """Bias and weights on the raw measures, from runs of (set, group, label, measures)."""
    x = np.array([r[3] for r in runs])
    y = np.array([r[2] for r in runs])
    sets = [r[0] for r in runs]
    makers = [s for s in sets if s != "real"]
    counts = {s: makers.count(s) for s in set(makers)}
    weight = np.array([1.0 if s == "real" else len(makers) / (len(counts) * counts[s])
                       for s in sets])
    # Graphics and the rest weigh the same in all, as many runs of each as not.
    graphics = float(np.sum(weight * y))
    weight = np.where(y == 1, weight * np.sum(weight) / (2 * graphics),
                      weight * np.sum(weight) / (2 * (np.sum(weight) - graphics)))
    mean = x.mean(axis=0)
    spread = x.std(axis=0)
    spread[spread == 0] = 1
    bias, standardised = logistic((x - mean) / spread, y, weight, [SIGNS[n] for n in names])
    weights = standardised / spread
    return bias - float(np.sum(weights * mean)), weights


def write_tables(path, names, tables):
    with open(path, "w") as out:
        out.write("table\tbias\t" + "\t".join(names) + "\n")
        for name, (bias, weights) in tables:
            out.write(name + "\t" + "\t".join("%.9g" % v for v in [bias, *weights]) + "\n")


def literal(value):
    """A float literal of C++ for the value."""
    text = "%.9g" % value
    return text + ("f" if "." in text or "e" in text else ".0f")


def write_include(path, names, bias, weights):
    with open(path, "w") as out:
        out.write("// decision_table.inc: the weights of a run's measures, fitted on all the labelled runs by\n")
        out.write("// bench/fit/fit_decision.py, which writes this file; bench/fit/tables.tsv holds them too.\n")
        out.write("constexpr DecisionTable kFitted{\n    %s,\n    {\n" % literal(bias))
        for name, weight in zip(names, weights):
            out.write("        %s,  // %s\n" % (literal(weight), name))
        out.write("    }};\n")


def main():
    if len(sys.argv) > 1:
        evidence = sys.argv[1]
    else:
        evidence = os.path.join(tempfile.mkdtemp(), "evidence.tsv")
        bench = os.path.join(ROOT, "build", "native", "bench", "graphics_finder_bench")
        subprocess.run([bench, "--evidence", evidence], check=True)
    names, runs, sources = read_evidence(evidence)
    tables = [("all", fit(runs, names))]
    tables.append(("without first", fit([r for r in runs if r[0] != "first"], names)))
    tables.append(("without other", fit([r for r in runs if r[0] != "other"], names)))
    for source in sources:
        rest = [r for r in runs if not (r[0] == "real" and r[1] == source)]
        tables.append(("without " + source, fit(rest, names)))
    write_tables(os.path.join(ROOT, "bench", "fit", "tables.tsv"), names, tables)
    bias, weights = tables[0][1]
    write_include(os.path.join(ROOT, "core", "analysis", "finder", "decision_table.inc"),
                  names, bias, weights)
    print("fitted %d tables on %d runs" % (len(tables), len(runs)))


if __name__ == "__main__":
    main()
