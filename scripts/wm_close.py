#!/usr/bin/env python3
"""Asks an X window to close the way a window manager does (WM_DELETE_WINDOW).

Usage: wm_close.py WINDOW_ID   (on the display named by DISPLAY)
"""
import ctypes
import os
import sys

x = ctypes.cdll.LoadLibrary("libX11.so.6")
x.XOpenDisplay.restype = ctypes.c_void_p
x.XOpenDisplay.argtypes = [ctypes.c_char_p]
x.XInternAtom.restype = ctypes.c_ulong
x.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
x.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long, ctypes.c_void_p]
x.XFlush.argtypes = [ctypes.c_void_p]
x.XCloseDisplay.argtypes = [ctypes.c_void_p]


class ClientMessage(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("window", ctypes.c_ulong),
                ("message_type", ctypes.c_ulong), ("format", ctypes.c_int),
                ("data", ctypes.c_long * 5), ("pad", ctypes.c_long * 12)]


dpy = x.XOpenDisplay(os.environ["DISPLAY"].encode())
if not dpy:
    sys.exit(1)
ev = ClientMessage()
ev.type = 33  # ClientMessage
ev.window = int(sys.argv[1])
ev.message_type = x.XInternAtom(dpy, b"WM_PROTOCOLS", 0)
ev.format = 32
ev.data[0] = x.XInternAtom(dpy, b"WM_DELETE_WINDOW", 0)
ev.data[1] = 0  # CurrentTime
x.XSendEvent(dpy, ev.window, 0, 0, ctypes.byref(ev))
x.XFlush(dpy)
x.XCloseDisplay(dpy)
