#!/usr/bin/python3
# A small Qt 6 program that takes drops, for the drag-and-drop tests and the
# transfer benchmark: it logs what it is offered and, at a drop, reads every
# text format offered, one after the other, as a Qt program does through its
# drop's data, and logs each arrival with its size, its SHA-1 and the time.
# Its log lines are those of dnd_peer.py, flushed at once:
#
#   qt_drop_target.py --log FILE --out DIR [--title T] [--x X --y Y] [--width W --height H]
#
# shown / offered TYPES... / drop ACTION asking TYPES... /
# arrived N TYPE BYTES SHA1 TIME ACTION / finished ok|failed
import argparse
import hashlib
import os
import sys
import time

from PyQt6.QtCore import Qt
from PyQt6.QtWidgets import QApplication, QLabel

TEXT_FORMATS = ["text/plain;charset=utf-8", "text/plain", "UTF8_STRING", "STRING"]

args = None
log = None
arrivals = 0


def note(line):
    log.write(line + "\n")
    log.flush()


def action_name(action):
    return {Qt.DropAction.CopyAction: "copy", Qt.DropAction.MoveAction: "move",
            Qt.DropAction.LinkAction: "link"}.get(action, "none")


class Target(QLabel):
    def __init__(self):
        super().__init__("drop here")
        self.setAcceptDrops(True)
        self.setAlignment(Qt.AlignmentFlag.AlignCenter)

    def showEvent(self, event):
        super().showEvent(event)
        note("shown")

    def dragEnterEvent(self, event):
        note("offered " + " ".join(event.mimeData().formats()))
        event.acceptProposedAction()

    def dragMoveEvent(self, event):
        event.acceptProposedAction()

    def dragLeaveEvent(self, event):
        note("leave")

    def dropEvent(self, event):
        global arrivals
        data = event.mimeData()
        offered = data.formats()
        wanted = [f for f in TEXT_FORMATS if f in offered]
        action = event.proposedAction()
        note("drop %s asking %s" % (action_name(action), " ".join(wanted) or "None"))
        ok = bool(wanted)
        # Every format is read before any is written out, so that each
        # request follows the last as quickly as the toolkit makes it.
        got = []
        for fmt in wanted:
            raw = bytes(data.data(fmt))
            got.append((fmt, raw, time.time()))
            ok = ok and len(raw) > 0
        for fmt, raw, arrived in got:
            arrivals += 1
            with open(os.path.join(args.out, "arrival-%d.bin" % arrivals), "wb") as f:
                f.write(raw)
            note("arrived %d %s %d %s %.6f %s" % (arrivals, fmt, len(raw), hashlib.sha1(raw).hexdigest(),
                                                  arrived, action_name(action)))
        if ok:
            event.acceptProposedAction()
        else:
            event.ignore()
        note("finished " + ("ok" if ok else "failed"))


def main():
    global args, log
    parser = argparse.ArgumentParser()
    parser.add_argument("--log", required=True)
    parser.add_argument("--out", required=True)
    parser.add_argument("--title", default="qv qt drop target")
    parser.add_argument("--x", type=int, default=500)
    parser.add_argument("--y", type=int, default=100)
    parser.add_argument("--width", type=int, default=400)
    parser.add_argument("--height", type=int, default=200)
    args, _ = parser.parse_known_args()
    log = open(args.log, "a", encoding="utf-8")
    app = QApplication([sys.argv[0]])
    target = Target()
    target.setWindowTitle(args.title)
    target.resize(args.width, args.height)
    target.move(args.x, args.y)
    target.show()
    return app.exec()


if __name__ == "__main__":
    sys.exit(main())
