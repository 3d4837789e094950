#!/usr/bin/env bash
# Runs a command with an X display for the GUI tests: the caller's display if
# one is set, else a virtual one (xvfb-run).
#
# A bare virtual server has no window manager, so the window-manager atoms
# (WM_PROTOCOLS, WM_DELETE_WINDOW, _NET_WM_STATE...) exist only once some
# client has interned them. The framework looks them up without creating
# them when a process first opens the display, and a window then set up with
# a missing atom is an X error, which in a program that is not a framework
# application ends the process. The atoms are interned here first, on a server
# that keeps them (-noreset), so every test sees the display a desktop gives.
set -euo pipefail

atoms=WM_PROTOCOLS,WM_TAKE_FOCUS,WM_DELETE_WINDOW,_NET_WM_PING,WM_CHANGE_STATE,WM_STATE
atoms+=,_NET_WM_WINDOW_TYPE,_NET_WM_WINDOW_TYPE_NORMAL,_NET_WM_WINDOW_TYPE_COMBO
atoms+=,_NET_WM_STATE,_NET_WM_STATE_HIDDEN,_NET_WM_STATE_SKIP_TASKBAR,_NET_WM_STATE_ABOVE
atoms+=,_NET_WM_STATE_FULLSCREEN,_NET_FRAME_EXTENTS,_NET_WORKAREA,_MOTIF_WM_HINTS
atoms+=,_NET_WM_ALLOWED_ACTIONS,_NET_WM_ACTION_RESIZE,_NET_WM_ACTION_FULLSCREEN
atoms+=,_NET_WM_ACTION_MINIMIZE,_NET_WM_ACTION_CLOSE

if [ -n "${MORVANE3_DISPLAY_READY:-}" ]; then
  # Each value set on this root property is interned as an atom.
  for atom in ${atoms//,/ }; do
    xprop -root -f _MORVANE3_TEST_ATOM 32a -set _MORVANE3_TEST_ATOM "$atom"
  done
  exec "$@"
fi
if [ -n "${DISPLAY:-}" ] || ! command -v xvfb-run > /dev/null; then
  exec "$@"
fi
MORVANE3_DISPLAY_READY=1 exec xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" "$0" "$@"
