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
set by PENALTY. The two makers' runs weigh the same in all and each run of the real corpus
as much as an average one of theirs; then graphics and the rest weigh the same in all, so
that missing a block costs as much as reporting a false region. They are fitted once on
everything, the table the finder ships (written to core/analysis/finder/decision_table.inc),
and again without the data each unseen figure is scored on, into bench/fit/tables.tsv:
without the first maker, without the second, and without each source of the real corpus in
turn. The bench scores each of them with its own table.

Which runs the finder judges depends a little on the table it uses (a run left out is
judged again without a table of numbers at its end): after a change to the finder, build,
run this script, build again, and run it once more.
"""
import csv
import os
import subprocess
import sys
import tempfile

import numpy as np
from sklearn.linear_model import LogisticRegression

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
PENALTY = 1.0  # the inverse of the L2 penalty on the standardised weights
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


def fit(runs):
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
    model = LogisticRegression(C=PENALTY, max_iter=10000)
    model.fit((x - mean) / spread, y, sample_weight=weight)
    weights = model.coef_[0] / spread
    return model.intercept_[0] - float(np.sum(weights * mean)), weights


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
    tables = [("all", fit(runs))]
    tables.append(("without first", fit([r for r in runs if r[0] != "first"])))
    tables.append(("without other", fit([r for r in runs if r[0] != "other"])))
    for source in sources:
        rest = [r for r in runs if not (r[0] == "real" and r[1] == source)]
        tables.append(("without " + source, fit(rest)))
    write_tables(os.path.join(ROOT, "bench", "fit", "tables.tsv"), names, tables)
    bias, weights = tables[0][1]
    write_include(os.path.join(ROOT, "core", "analysis", "finder", "decision_table.inc"),
                  names, bias, weights)
    print("fitted %d tables on %d runs" % (len(tables), len(runs)))


if __name__ == "__main__":
    main()
