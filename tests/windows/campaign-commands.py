#!/usr/bin/env python3
"""The commands of a `tarvenix-host campaign --json` report, and the landing between turns, for
the check that every command of a campaign plans as a fresh `plan` would.

  campaign-commands.py list REPORT CANCEL_ONE_IN CANCEL_SEED
      one line per command, in the order they ran: "BEGIN GROUP STEPS", where BEGIN says what
      happened to the galaxy before it (same: nothing; land: the turn advanced; start: the
      campaign started over from its first galaxy) and STEPS is the step its Cancel was
      pressed at, or "-" for none
  campaign-commands.py land GALAXY OUT
      the galaxy as the next turn begins: every group in orbit of its destination, the turn one
      higher
"""
import json
import sys

MASK = (1 << 64) - 1
STEPS_DRAWN_FROM = 64  # as the campaign's schedule draws them


def cancel_steps(one_in, seed):
    """The campaign's Cancel schedule (a splitmix64 stream): the step of each command's press, or None."""
    state = seed
    index = 0
    while True:
        steps = None
        if one_in > 0 and index % one_in == one_in - 1:
            state = (state + 0x9E3779B97F4A7C15) & MASK
            z = state
            z = ((z ^ (z >> 30)) * 0xBF58476D1CE4E5B9) & MASK
            z = ((z ^ (z >> 27)) * 0x94D049BB133111EB) & MASK
            steps = (z ^ (z >> 31)) % STEPS_DRAWN_FROM
        yield steps
        index += 1


def list_commands(report, one_in, seed):
    with open(report, encoding="utf-8") as file:
        turns = json.load(file)["turns"]
    schedule = cancel_steps(one_in, seed)
    previous = None
    for turn in turns:
        number = turn["turn"]
        begin = "same" if previous is None else "land" if number > previous else "start"
        previous = number
        for command in turn["commands"]:
            steps = next(schedule)
            print(begin, command["group"], "-" if steps is None else steps)
            begin = "same"


def land(galaxy, out):
    with open(galaxy, encoding="utf-8") as file:
        content = json.load(file)
    for group in content["groups"]:
        group["from"] = 0  # one turn's flight: whatever was sent has arrived
    content["turn"] += 1
    with open(out, "w", encoding="utf-8") as file:
        json.dump(content, file, ensure_ascii=False)


if __name__ == "__main__":
    if sys.argv[1] == "list":
        list_commands(sys.argv[2], int(sys.argv[3]), int(sys.argv[4]))
    elif sys.argv[1] == "land":
        land(sys.argv[2], sys.argv[3])
    else:
        sys.exit("unknown command " + sys.argv[1])
