#!/usr/bin/python3
# A small GTK 3 program that the drag-and-drop tests meet on the other side of
# the X server: its left half takes drops and logs what it is offered and what
# arrives, its right half drags text or a list of files of its own. Every log
# line is flushed at once, so a test can wait on it.
#
#   dnd_peer.py --log FILE --out DIR [--title T] [--x X --y Y] [--width W --height H]
#               [--drag-text TEXT | --drag-text-file FILE | --drag-files PATH...]
#               [--want TYPE] [--want-all] [--above]
#
# How a drop is finished is read from DIR/finish at each drop: "ok" (the
# default), "fail" (finished without success) or "never" (no finish at all).
import argparse
import hashlib
import os
import sys
import time

import gi

gi.require_version("Gtk", "3.0")
gi.require_version("Gdk", "3.0")
from gi.repository import Gdk, GLib, Gtk  # noqa: E402

TEXT_TYPES = ["UTF8_STRING", "text/plain;charset=utf-8", "text/plain", "STRING"]

args = None
log = None
arrivals = 0


def note(line):
    log.write(line + "\n")
    log.flush()


def action_name(action):
    names = []
    for flag, name in ((Gdk.DragAction.COPY, "copy"), (Gdk.DragAction.MOVE, "move"),
                       (Gdk.DragAction.LINK, "link"), (Gdk.DragAction.ASK, "ask")):
        if action & flag:
            names.append(name)
    return ",".join(names) or "none"


def finish_mode():
    try:
        with open(os.path.join(args.out, "finish")) as f:
            return f.read().strip() or "ok"
    except OSError:
        return "ok"


# The drop side.
def on_motion(widget, ctx, x, y, stamp):
    if not getattr(widget, "entered", False):
        widget.entered = True
        note("offered " + " ".join(t.name() for t in ctx.list_targets()))
        note("actions " + action_name(ctx.get_actions()) + " suggested " +
             action_name(ctx.get_suggested_action()))
    Gdk.drag_status(ctx, ctx.get_suggested_action(), stamp)
    return True


def on_leave(widget, ctx, stamp):
    widget.entered = False
    note("leave")


def on_drop(widget, ctx, x, y, stamp):
    widget.entered = False
    offered = [t.name() for t in ctx.list_targets()]
    wanted = [args.want] if args.want else []
    choice = next((t for t in wanted + ["text/uri-list"] + TEXT_TYPES if t in offered), None)
    note("drop " + action_name(ctx.get_selected_action()) + " asking " + str(choice))
    if choice is None:
        Gtk.drag_finish(ctx, False, False, stamp)
        return True
    widget.queue = [t for t in TEXT_TYPES if t in offered][1:] if args.want_all and choice in TEXT_TYPES else []
    widget.drag_get_data(ctx, Gdk.Atom.intern(choice, False), stamp)
    return True


def on_received(widget, ctx, x, y, data, info, stamp):
    global arrivals
    raw = data.get_data() or b""
    widget.got = getattr(widget, "got", []) + [(data.get_target().name(), raw, time.time())]
    action = ctx.get_selected_action()
    more = getattr(widget, "queue", [])
    if more:
        # Every type is read before any is written out, so that each request
        # follows the last as quickly as the toolkit makes it.
        widget.drag_get_data(ctx, Gdk.Atom.intern(more.pop(0), False), stamp)
        return
    for target, raw, arrived in widget.got:
        arrivals += 1
        with open(os.path.join(args.out, "arrival-%d.bin" % arrivals), "wb") as f:
            f.write(raw)
        note("arrived %d %s %d %s %.6f %s" % (arrivals, target, len(raw), hashlib.sha1(raw).hexdigest(), arrived,
                                             action_name(action)))
    widget.got = []
    mode = finish_mode()
    if mode == "never":
        note("not finished")
        return
    ok = mode == "ok" and len(raw) > 0
    Gtk.drag_finish(ctx, ok, ok and action == Gdk.DragAction.MOVE, stamp)
    note("finished " + ("ok" if ok else "failed"))


# The drag side.
def on_drag_get(widget, ctx, data, info, stamp):
    target = data.get_target().name()
    note("asked " + target)
    if target == "text/uri-list":
        data.set_uris([GLib.filename_to_uri(p, None) for p in args.drag_files])
    elif args.drag_files:
        data.set_text("\n".join(args.drag_files), -1)
    else:
        data.set_text(args.drag_text or "", -1)


def on_drag_begin(widget, ctx):
    note("drag-begin")


def on_drag_end(widget, ctx):
    note("drag-end")


def on_drag_delete(widget, ctx):
    note("delete")


def main():
    global args, log
    parser = argparse.ArgumentParser()
    parser.add_argument("--log", required=True)
    parser.add_argument("--out", required=True)
    parser.add_argument("--title", default="qv dnd peer")
    parser.add_argument("--x", type=int, default=500)
    parser.add_argument("--y", type=int, default=100)
    parser.add_argument("--width", type=int, default=400)
    parser.add_argument("--height", type=int, default=200)
    parser.add_argument("--drag-text")
    parser.add_argument("--drag-text-file", help="drags the text this file holds")
    parser.add_argument("--drag-files", nargs="*", default=[])
    parser.add_argument("--want")
    parser.add_argument("--want-all", action="store_true", help="a drop of text asks for every text type")
    parser.add_argument("--above", action="store_true", help="kept above other windows")
    args = parser.parse_args()
    log = open(args.log, "a", encoding="utf-8")
    if args.drag_text_file:
        with open(args.drag_text_file, encoding="utf-8") as f:
            args.drag_text = f.read()

    window = Gtk.Window(title=args.title)
    window.set_default_size(args.width, args.height)
    window.move(args.x, args.y)
    window.set_keep_above(args.above)
    window.connect("destroy", Gtk.main_quit)
    box = Gtk.Box(orientation=Gtk.Orientation.HORIZONTAL, homogeneous=True)
    window.add(box)

    drop = Gtk.EventBox()
    drop.add(Gtk.Label(label="drop here"))
    drop.drag_dest_set(0, [], Gdk.DragAction.COPY | Gdk.DragAction.MOVE | Gdk.DragAction.LINK)
    drop.connect("drag-motion", on_motion)
    drop.connect("drag-leave", on_leave)
    drop.connect("drag-drop", on_drop)
    drop.connect("drag-data-received", on_received)
    box.pack_start(drop, True, True, 0)

    drag = Gtk.EventBox()
    drag.add(Gtk.Label(label="drag me"))
    if args.drag_files:
        targets = [Gtk.TargetEntry.new("text/uri-list", 0, 1)]
    else:
        targets = []
    targets += [Gtk.TargetEntry.new(t, 0, 0) for t in TEXT_TYPES]
    drag.drag_source_set(Gdk.ModifierType.BUTTON1_MASK, targets,
                         Gdk.DragAction.COPY | Gdk.DragAction.MOVE)
    drag.connect("drag-data-get", on_drag_get)
    drag.connect("drag-begin", on_drag_begin)
    drag.connect("drag-end", on_drag_end)
    drag.connect("drag-data-delete", on_drag_delete)
    box.pack_start(drag, True, True, 0)

    def shown(*_):
        note("shown")
        return False

    window.connect("map-event", shown)
    window.show_all()
    Gtk.main()


if __name__ == "__main__":
    sys.exit(main())
