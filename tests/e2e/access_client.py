#!/usr/bin/python3
"""Walks the launcher's accessibility tree over AT-SPI as a screen reader would, and acts
through it and through keys alone. Arguments: the suite folder. Exits non-zero with a line
on standard error at the first thing that is not as expected."""
import faulthandler
import os
import signal
import subprocess
import sys
import time

import pyatspi
from gi.repository import GLib

suite = sys.argv[1]
events = []
faulthandler.register(signal.SIGTERM, chain=True)  # where it stands, should a call never return


def note(event):
    try:
        name = event.source.name if event.source else None
    except GLib.GError:  # an object gone by the time the event is read
        name = None
    events.append((event.type, name, event.detail1))


pyatspi.Registry.registerEventListener(note, "object:state-changed:focused", "focus:")


def pump(seconds):
    context = GLib.MainContext.default()
    end = time.time() + seconds
    while True:
        while context.pending():
            context.iteration(False)
        if time.time() >= end:
            return
        time.sleep(0.02)


def wait_for(what, test, limit=10):
    end = time.time() + limit
    while time.time() < end:
        value = test()
        if value:
            return value
        pump(0.05)
    sys.exit("not seen: " + what)


def expect(what, got, want):
    print(f"{what}: {got!r}")
    if got != want:
        sys.exit(f"{what}: expected {want!r}")


def children(node):
    return [node.getChildAtIndex(i) for i in range(node.childCount)]


def find(node, role, name=None):
    for child in children(node):
        if child.getRole() == role and (name is None or child.name == name):
            return child
        found = find(child, role, name)
        if found:
            return found
    return None


def started():
    with open(os.path.join(suite, "started.log")) as log:
        return [line.strip() for line in log if line.strip()]


def key(*keys):
    events.clear()  # what follows is the answer to these keys
    subprocess.run(["xdotool", "key", *keys], check=True)


def focus_event(name):
    return wait_for("focus event of " + name,
                    lambda: any(t.startswith("object:state-changed:focused") and n == name and d == 1
                                for t, n, d in events))


desktop = pyatspi.Registry.getDesktop(0)
app = wait_for("the application", lambda: next((a for a in children(desktop) if a and a.name == "Brimlow"), None))
app.set_cache_mask(0)  # every answer fresh from the program
frame = app.getChildAtIndex(0)
expect("frame", (frame.getRole(), frame.name), (pyatspi.ROLE_FRAME, "Brimlow"))
lists = [c for c in children(frame) if c.getRole() == pyatspi.ROLE_LIST]
expect("lists", len(lists), 2)
categories, tasks = lists
expect("categories", [c.name for c in children(categories)], ["Data", "Music", "Video", "Tools"])
expect("Data tasks", [c.name for c in children(tasks)], ["Data CD", "Data DVD", "Data HD DVD", "Data Blu-ray Disc"])
expect("a task's description", tasks.getChildAtIndex(1).description,
       "Create a data DVD which can be used to save all types of files and complete folders. "
       "The DVD can be read on all Windows platforms.")
item = tasks.getChildAtIndex(1)
expect("a task's place", (item.getIndexInParent(), item.queryAction().getName(0)), (1, "click"))
# In the window: the list at (184, 8), its items inside its two-pixel border, 75 high.
expect("a task's extents", tuple(item.queryComponent().getExtents(pyatspi.WINDOW_COORDS)), (186, 85, 462, 75))
expect("categories selected", categories.querySelection().nSelectedChildren, 1)
help_button = find(frame, pyatspi.ROLE_PUSH_BUTTON, "Help")
ok_button = find(frame, pyatspi.ROLE_PUSH_BUTTON, "OK")
expect("Help and OK buttons", (help_button is not None, ok_button is not None), (True, True))

# Focus moved by request, then by keys alone (Tab wraps round to the category list; an
# arrow lands on Music, which fills the task list with its tasks).
events.clear()
ok_button.queryComponent().grabFocus()
focus_event("OK")
expect("OK focused", ok_button.getState().contains(pyatspi.STATE_FOCUSED), True)
key("Tab")
focus_event("Data")
key("Down")
wait_for("Music's tasks", lambda: tasks.childCount == 2 and tasks.getChildAtIndex(0).name == "Audio CD")
focus_event("Music")
expect("started before any task", started(), ["vemp.exe"])

# Tab to the task list; the "Audio CD" item's action starts its tool, and so does Enter on
# the selected task, by keys alone.
key("Tab")
focus_event("Audio CD")
tasks.getChildAtIndex(0).queryAction().doAction(0)
wait_for("Merrock.exe started", lambda: started() == ["vemp.exe", "Merrock.exe"])
key("Return")
wait_for("Merrock.exe started by Enter", lambda: started() == ["vemp.exe", "Merrock.exe", "Merrock.exe"])

# About from the help menu by actions; its version label read on the Update page.
help_button.queryAction().doAction(0)
menu = wait_for("the help menu", lambda: find(app, pyatspi.ROLE_POPUP_MENU))
expect("menu entries highlighted", menu.querySelection().nSelectedChildren, 0)
about_item = next(c for c in children(menu) if c.name == "About Brimlow...")
about_item.queryAction().doAction(0)
dialog = wait_for("the About dialog", lambda: find(app, pyatspi.ROLE_DIALOG, "About Brimlow"))
pages = find(dialog, pyatspi.ROLE_PAGE_TAB_LIST)
expect("pages", [c.name for c in children(pages)], ["About", "Update"])
links = []


def collect(node):
    for child in children(node):
        if child.getRole() == pyatspi.ROLE_LINK:
            links.append(child.name)
        collect(child)


collect(dialog)
expect("links", len(links), 3)
pages.querySelection().selectChild(1)
update = pages.getChildAtIndex(1)
wait_for("the Update page", lambda: update.getState().contains(pyatspi.STATE_SHOWING))
group = find(update, pyatspi.ROLE_PANEL)
expect("version label", group.getChildAtIndex(0).name, "2.0.1")
# Keys alone close it: Esc is not its key, its default OK button takes Enter.
key("Return")
wait_for("the About dialog closed", lambda: find(app, pyatspi.ROLE_DIALOG) is None)

# By keys alone: the Help button (Tab order: categories, tasks, Help) opens the menu with
# Space; Esc closes it; OK's click ends the program.
key("Tab")
focus_event("Help")
key("space")
wait_for("the help menu by keys", lambda: find(app, pyatspi.ROLE_POPUP_MENU))
key("Escape")
wait_for("the help menu closed", lambda: find(app, pyatspi.ROLE_POPUP_MENU) is None)
ok_button.queryAction().doAction(0)
print("walk complete")
