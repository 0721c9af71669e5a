#!/usr/bin/python3
"""Waits until a window manager has taken over the display: the WM_S0
selection owned and _NET_SUPPORTING_WM_CHECK set on the root window, and with
--compositor also the _NET_WM_CM_S0 selection owned. Woken by the server's
events (XFixes selection-owner and root property notifications), never by
polling. Exits 0 when ready, 1 after the time limit (seconds, default 60).

Usage: wait-window-manager.py [--compositor] [--timeout SECONDS]
"""
import ctypes
import select
import sys

x11 = ctypes.CDLL("libX11.so.6")
xfixes = ctypes.CDLL("libXfixes.so.3")
x11.XOpenDisplay.restype = ctypes.c_void_p
x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
x11.XDefaultRootWindow.restype = ctypes.c_ulong
x11.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
x11.XInternAtom.restype = ctypes.c_ulong
x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
x11.XGetSelectionOwner.restype = ctypes.c_ulong
x11.XGetSelectionOwner.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
x11.XSelectInput.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_long]
x11.XGetWindowProperty.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_ulong, ctypes.c_long,
                                   ctypes.c_long, ctypes.c_int, ctypes.c_ulong,
                                   ctypes.POINTER(ctypes.c_ulong), ctypes.POINTER(ctypes.c_int),
                                   ctypes.POINTER(ctypes.c_ulong), ctypes.POINTER(ctypes.c_ulong),
                                   ctypes.POINTER(ctypes.c_void_p)]
x11.XFree.argtypes = [ctypes.c_void_p]
x11.XNextEvent.argtypes = [ctypes.c_void_p, ctypes.c_void_p]
x11.XPending.argtypes = [ctypes.c_void_p]
x11.XConnectionNumber.argtypes = [ctypes.c_void_p]
x11.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
xfixes.XFixesSelectSelectionInput.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_ulong,
                                              ctypes.c_ulong]
xfixes.XFixesQueryExtension.argtypes = [ctypes.c_void_p, ctypes.POINTER(ctypes.c_int),
                                        ctypes.POINTER(ctypes.c_int)]

compositor = "--compositor" in sys.argv
timeout = float(sys.argv[sys.argv.index("--timeout") + 1]) if "--timeout" in sys.argv else 60.0

display = x11.XOpenDisplay(None)
if not display:
    sys.exit("wait-window-manager: cannot open the display")
root = x11.XDefaultRootWindow(display)
selections = [x11.XInternAtom(display, b"WM_S0", 0)]
if compositor:
    selections.append(x11.XInternAtom(display, b"_NET_WM_CM_S0", 0))
check = x11.XInternAtom(display, b"_NET_SUPPORTING_WM_CHECK", 0)
event_base, error_base = ctypes.c_int(), ctypes.c_int()
if not xfixes.XFixesQueryExtension(display, ctypes.byref(event_base), ctypes.byref(error_base)):
    sys.exit("wait-window-manager: the server lacks XFixes")

PROPERTY_CHANGE_MASK = 1 << 22
SET_SELECTION_OWNER_NOTIFY_MASK = 1
# Listen first, then look: a change between the two still wakes the loop.
x11.XSelectInput(display, root, PROPERTY_CHANGE_MASK)
for selection in selections:
    xfixes.XFixesSelectSelectionInput(display, root, selection, SET_SELECTION_OWNER_NOTIFY_MASK)
x11.XSync(display, 0)


def has_check_window():
    kind, fmt = ctypes.c_ulong(), ctypes.c_int()
    count, after, data = ctypes.c_ulong(), ctypes.c_ulong(), ctypes.c_void_p()
    status = x11.XGetWindowProperty(display, root, check, 0, 1, 0, 0, ctypes.byref(kind),
                                    ctypes.byref(fmt), ctypes.byref(count), ctypes.byref(after),
                                    ctypes.byref(data))
    if data:
        x11.XFree(data)
    return status == 0 and count.value == 1


def ready():
    return all(x11.XGetSelectionOwner(display, s) for s in selections) and has_check_window()


event = ctypes.create_string_buffer(192)
fd = x11.XConnectionNumber(display)
import time
deadline = time.monotonic() + timeout
while not ready():
    while not x11.XPending(display):
        left = deadline - time.monotonic()
        if left <= 0 or not select.select([fd], [], [], left)[0]:
            sys.exit(1)
    while x11.XPending(display):
        x11.XNextEvent(display, event)
