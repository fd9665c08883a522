#!/usr/bin/python3
"""The reference beside bench/run transfer: about 92 MB of rows, like the
tree demo's million, copied in one GTK 3 program and read by a second one
through the clipboard as UTF8_STRING, TEXT and STRING (the toolkit's own
pieces, INCR). Run it on a display of its own:
    Xvfb :90 & DISPLAY=:90 bench/gtk_clipboard_reference.py   (Debian's python3 with python3-gi)
It prints the times of each read, in ms, as key=value lines."""
import subprocess
import sys
import time

import gi

gi.require_version("Gdk", "3.0")
gi.require_version("Gtk", "3.0")
from gi.repository import Gdk, Gtk  # noqa: E402


def rows(count):
    return "".join(
        "File %d.dat\t%d bytes\tData file\t01/02/2020 10:20:30\t/catalogue/disc %d/folder %d\r\n"
        % (i, i * 37, i % 100, i % 1000)
        for i in range(count)
    )


def owner(count):
    text = rows(count)
    window = Gtk.Window(title="reference owner")
    window.show()
    clipboard = Gtk.Clipboard.get(Gdk.SELECTION_CLIPBOARD)
    clipboard.set_text(text, -1)
    print("ready %d" % len(text.encode()), flush=True)
    Gtk.main()


def reader():
    window = Gtk.Window(title="reference reader")
    window.show()
    clipboard = Gtk.Clipboard.get(Gdk.SELECTION_CLIPBOARD)
    start = time.monotonic()
    for target in ("UTF8_STRING", "TEXT", "STRING"):
        t0 = time.monotonic()
        data = clipboard.wait_for_contents(Gdk.Atom.intern(target, False))
        size = len(data.get_data()) if data else 0
        print("gtk_%s_ms=%.1f bytes=%d" % (target, (time.monotonic() - t0) * 1000, size), flush=True)
    print("gtk_three_types_ms=%.1f" % ((time.monotonic() - start) * 1000), flush=True)


if __name__ == "__main__":
    if len(sys.argv) > 1 and sys.argv[1] == "owner":
        owner(int(sys.argv[2]))
    elif len(sys.argv) > 1 and sys.argv[1] == "reader":
        reader()
    else:
        count = int(sys.argv[1]) if len(sys.argv) > 1 else 1000000
        own = subprocess.Popen([sys.executable, __file__, "owner", str(count)], stdout=subprocess.PIPE, text=True)
        print("gtk_bytes=%s" % own.stdout.readline().split()[1], flush=True)
        subprocess.run([sys.executable, __file__, "reader"])
        own.kill()
