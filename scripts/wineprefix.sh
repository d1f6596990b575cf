#!/usr/bin/env bash
# The Wine prefix that Windows builds are tested in. Source it, then call lb_wineprefix:
#
#   source scripts/wineprefix.sh
#   lb_wineprefix build-windows      # prefix in build-windows/wineprefix, made once, reused
#   wine build-windows/bin/launcher.exe
#
# LB_WINEPREFIX overrides the folder. The prefix gets Tahoma (regular and bold) and Marlett
# from fonts-wine, since a fresh prefix silently maps Tahoma to another face; with no window
# manager on $DISPLAY the X11 driver is told to manage its windows itself (Managed=N),
# since closing a window otherwise waits 2 s for a manager that never answers. Callers
# running side by side (CTest) share one prefix: a lock makes the first one build it.

export WINEDEBUG=-all
export WINEARCH=win64
# No prompts for the .NET and browser runtimes: nothing we run needs them.
export WINEDLLOVERRIDES="mscoree,mshtml="

LB_WINE_FONTS=/usr/share/wine/fonts

# lb_wine_has_wm: true when a window manager runs on $DISPLAY.
lb_wine_has_wm() {
  [ -n "${DISPLAY:-}" ] || return 1
  command -v xprop >/dev/null 2>&1 || return 1
  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"
}

# lb_wineprefix [BUILD_DIR]: exports WINEPREFIX and makes sure the prefix is ready.
lb_wineprefix() {
  local build="${1:-build-windows}"
  export WINEPREFIX="${LB_WINEPREFIX:-$(cd "$build" && pwd)/wineprefix}"
  local managed=N
  lb_wine_has_wm && managed=Y
  mkdir -p "$(dirname "$WINEPREFIX")"
  (
    flock 9
    if [ ! -f "$WINEPREFIX/.lb-ready" ]; then
      rm -rf "$WINEPREFIX"
      wine wineboot --init >/dev/null 2>&1 || true
      wineserver -w
      [ -d "$WINEPREFIX/drive_c/windows" ] || { echo "wineprefix: wineboot made no prefix" >&2; exit 1; }
      mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
      cp "$LB_WINE_FONTS/tahoma.ttf" "$LB_WINE_FONTS/tahomabd.ttf" "$LB_WINE_FONTS/marlett.ttf" \
         "$WINEPREFIX/drive_c/windows/Fonts/"
      touch "$WINEPREFIX/.lb-ready"
    fi
    if [ "$(cat "$WINEPREFIX/.lb-managed" 2>/dev/null)" != "$managed" ]; then
      wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d "$managed" /f >/dev/null 2>&1
      wineserver -w
      echo "$managed" >"$WINEPREFIX/.lb-managed"
    fi
  ) 9>"$WINEPREFIX.lock"
}
