#!/usr/bin/python3
# A GTK 3 program for the clipboard tests: it copies a text, and at SIGUSR1
# copies a small picture from the same program (GTK claims the clipboard
# from one window of its own for every copy). Each copy is logged as a line
# ("text", "image") once the X server has made it the owner, so that a test
# waits on the log, never on time.
#
#   gtk_clipboard_owner.py LOG TEXT
import signal
import sys

import gi

gi.require_version("Gtk", "3.0")
gi.require_version("Gdk", "3.0")
gi.require_version("GdkPixbuf", "2.0")
from gi.repository import Gdk, GdkPixbuf, GLib, Gtk  # noqa: E402


def main():
    log = open(sys.argv[1], "a", encoding="utf-8")
    clipboard = Gtk.Clipboard.get(Gdk.SELECTION_CLIPBOARD)

    def note(line):
        log.write(line + "\n")
        log.flush()

    def copy_image():
        picture = GdkPixbuf.Pixbuf.new(GdkPixbuf.Colorspace.RGB, False, 8, 8, 8)
        picture.fill(0x3060C0FF)
        clipboard.set_image(picture)
        note("image")
        return GLib.SOURCE_REMOVE

    clipboard.set_text(sys.argv[2], -1)
    note("text")
    GLib.unix_signal_add(GLib.PRIORITY_DEFAULT, signal.SIGUSR1, copy_image)
    Gtk.main()


if __name__ == "__main__":
    sys.exit(main())
