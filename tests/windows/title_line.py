#!/usr/bin/env python3
"""Reads the statistics line the show writes into its window title.

  title_line.py check TITLE   exit 0 when every label stands at its column
  title_line.py time TITLE    prints the demo time it shows
  title_line.py frame TITLE   prints the demo time and the frame rate
"""
import re
import sys

# Labels and the columns they stand at; each number follows its label.
LABELS = {0: "X:", 20: "Y:", 40: "Time:", 60: "Fps:", 80: "Aux:"}
NUMBER = re.compile(r"-?\d+\.\d*(e[-+]\d{3})?$")


def fields(title):
    values = {}
    starts = sorted(LABELS)
    for i, column in enumerate(starts):
        label = LABELS[column]
        if title[column:column + len(label)] != label:
            raise ValueError(f"{label!r} is not at column {column}: {title!r}")
        end = starts[i + 1] if i + 1 < len(starts) else len(title)
        text = title[column + len(label):end].strip()
        if not NUMBER.match(text):
            raise ValueError(f"{label} {text!r} is not a number")
        values[label[:-1]] = float(text)
    return values


def main():
    what, title = sys.argv[1], sys.argv[2]
    try:
        values = fields(title)
    except ValueError as error:
        print(error, file=sys.stderr)
        return 1
    if what == "time":
        print(values["Time"])
    elif what == "frame":
        print(values["Time"], values["Fps"])
    return 0


if __name__ == "__main__":
    sys.exit(main())
