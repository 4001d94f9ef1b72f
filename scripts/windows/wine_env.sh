# Sourced by the Windows scripts: a wine of our own for the Windows programs.
#   WIN_DEPS   the folder of the Windows libraries; the wine prefix lives in it
# After sourcing, `wine_ready` makes sure the prefix exists (the first time
# takes a while), and `wine` runs a Windows program in it.
export WINEPREFIX="${WINEPREFIX:-$WIN_DEPS/wine}"
export WINEARCH=win64
# No console noise, and no offer to install .NET or a browser engine.
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"

wine_ready() {
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "wine: preparing $WINEPREFIX"
    DISPLAY= wineboot --init >/dev/null 2>&1 || true
    wineserver --wait || true
  fi
  [ -f "$WINEPREFIX/system.reg" ] || { echo "wine: the prefix $WINEPREFIX could not be made" >&2; return 1; }
  # One server for the whole run: a server that ends between two programs
  # can drop the next one's first connection.
  wineserver --persistent >/dev/null 2>&1 || true
}

# Ends this prefix's wine server and everything still running in it.
wine_stop() { wineserver --kill >/dev/null 2>&1 || true; }
