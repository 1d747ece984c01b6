#!/usr/bin/python3
"""TerminalRunTest.py - the host on a real pseudo-terminal, at several widths, as a player sees the screen.

Runs the real tarvenix-host with the real plug-in on the demo galaxy, its standard output and
error both on one pseudo-terminal of the given width, and replays what it wrote on a small
screen model (printable text, carriage return, line feed, erase to the end of the line). The
screen must read: the run's header line, the last progress frame on a line of its own (never
reaching the last three columns), its bar full, then the orders; no blank line anywhere before
the summary. Before the plug-in gives its bar a range, the queries answered move the line.
"""

import argparse
import fcntl
import os
import re
import select
import struct
import subprocess
import sys
import termios
import time

WIDTHS = (40, 80, 120)


def run_on_terminal(host, plugin, columns):
    """What the host wrote to a terminal `columns` wide, as bytes."""
    controller, terminal = os.openpty()
    fcntl.ioctl(terminal, termios.TIOCSWINSZ, struct.pack("HHHH", 24, columns, 0, 0))
    env = dict(os.environ, COLUMNS=str(columns))
    process = subprocess.Popen(
        [host, "--plugin", plugin, "--lang", "en", "--answer-delay-ms", "3"],
        stdin=terminal, stdout=terminal, stderr=terminal, env=env, close_fds=True)
    os.close(terminal)
    written = bytearray()
    deadline = time.monotonic() + 120
    while time.monotonic() < deadline:
        ready, _, _ = select.select([controller], [], [], 1.0)
        if ready:
            try:
                chunk = os.read(controller, 65536)
            except OSError:  # the terminal closed: every writer is gone
                break
            if not chunk:
                break
            written += chunk
        elif process.poll() is not None:
            break
    process.wait(timeout=10)
    os.close(controller)
    if process.returncode != 0:
        raise AssertionError(f"{columns} columns: exit status {process.returncode}\n{written.decode(errors='replace')}")
    return written.decode("utf-8")


def screen_lines(text):
    """The lines the terminal shows after `text`, for the few controls the host writes."""
    lines = [""]
    column = 0
    i = 0
    while i < len(text):
        if text.startswith("\x1b[K", i):
            lines[-1] = lines[-1][:column]
            i += 3
            continue
        c = text[i]
        if c == "\r":
            column = 0
        elif c == "\n":
            lines.append("")
            column = 0
        elif c == "\x1b":
            raise AssertionError(f"an escape sequence the test does not model: {text[i:i + 8]!r}")
        else:
            line = lines[-1]
            lines[-1] = line[:column] + c + line[column + 1:]
            column += 1
        i += 1
    return lines


def frames(text):
    """Every frame of the progress line, in the order drawn."""
    drawn = text.split("\r\x1b[K")[1:]
    return [frame.split("\n")[0].rstrip("\r") for frame in drawn]


def counter(frame):
    """The bar's cells and its "position/maximum", and the queries answered, from a drawn frame."""
    match = re.search(r"\[([#.]+)\] (\d+)/(\d+)\s+(?:(\d+) quer(?:y|ies))?", frame)
    assert match, frame
    return match.group(1), int(match.group(2)), int(match.group(3)), int(match.group(4) or -1)


def check(columns, text):
    lines = screen_lines(text)
    where = f"{columns} columns:\n" + "\n".join(lines)
    assert lines[0].startswith("Tarvenix2.so on 'Lantern Reach', turn 42: group 7"), where
    # The header is ended before the first frame is drawn, so no frame ever overwrites it.
    assert text.index("\n") < text.index("\r\x1b[K"), where
    frame = lines[1]
    # Three columns stay free: the last, and two for the "^C" the terminal echoes on Ctrl-C.
    assert "[" in frame and "]" in frame and len(frame) <= columns - 3, where
    drawn = frames(text)
    assert all(len(f) <= columns - 3 for f in drawn), where
    # The frame left on screen is the window's final state: the bar full.
    cells, position, maximum, _ = counter(frame)
    assert maximum > 0 and position == maximum and "." not in cells, where
    if columns >= 80:
        # Before the plug-in gives its bar a range (the control's own 0/100 till then), the
        # queries answered move the line.
        first = counter(drawn[0])[1:3]
        waiting = [counter(f)[3] for f in drawn[:next(i for i, f in enumerate(drawn) if counter(f)[1:3] != first)]]
        assert len(waiting) >= 2 and waiting == sorted(waiting) and waiting[0] < waiting[-1], "\n".join(drawn)
    assert lines[2] == "Orders:", where
    summary = next(i for i, line in enumerate(lines) if line.startswith("Summary: 10 ships sent"))
    assert all(line.strip() for line in lines[:summary + 1]), "a blank line on the screen\n" + where


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--host", required=True)
    parser.add_argument("--plugin", required=True)
    arguments = parser.parse_args()
    for columns in WIDTHS:
        check(columns, run_on_terminal(arguments.host, arguments.plugin, columns))
        print(f"{columns} columns: header, last frame and orders each on a line of their own")
    return 0


if __name__ == "__main__":
    sys.exit(main())
