"""The progress lines of the Python scripts (scripts/wine/run_session.py,
scripts/wine/screenshots.py): one "-- " line per step, flushed at once so
that it stands in order with the output of the programs they start.

What it does not do: time or summarise steps, as scripts/lib/steps.sh does
for the shell scripts' test steps.
"""


def step(text):
    print("-- " + text, flush=True)
