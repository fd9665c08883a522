#!/usr/bin/python3
# A GTK 3 or Qt 6 program that copies a text and quits, leaving its copy to
# the desktop's clipboard manager as the toolkit does at a program's end.
#
#   store_on_exit.py gtk|qt <text>
import sys


def gtk(text):
    import gi

    gi.require_version("Gdk", "3.0")
    gi.require_version("Gtk", "3.0")
    from gi.repository import Gdk, Gtk

    clipboard = Gtk.Clipboard.get(Gdk.SELECTION_CLIPBOARD)
    clipboard.set_text(text, -1)
    clipboard.set_can_store(None)  # every target of the copy may be kept
    clipboard.store()


def qt(text):
    from PyQt6.QtCore import QTimer
    from PyQt6.QtGui import QGuiApplication

    app = QGuiApplication(sys.argv[:1])
    QGuiApplication.clipboard().setText(text)
    QTimer.singleShot(0, app.quit)
    app.exec()


if __name__ == "__main__":
    {"gtk": gtk, "qt": qt}[sys.argv[1]](sys.argv[2])
