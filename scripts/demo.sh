#!/usr/bin/env bash
# The demo command: installs what is missing, builds, and shows Zentrobe.exe in
# a Wine prefix of its own (build/demo-prefix) with three simulated tuners
# (White, Black, White) and a substitute player already running on the Black one.
# With a reachable X display the user drives the launcher; otherwise the demo
# runs by itself under Xvfb: screenshots, the listed rows, the settings dialog,
# a launch of row 0, and what the player received.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
source scripts/lib.sh

demo=$root/build/demo
shots=$demo/screenshots
testbed=$root/build/x86_64-tests/testbed
helper=$testbed/demo/demo-helper.exe
screen=1280x800

die() {
  echo "!! demo FAILED: $*" >&2
  exit 1
}

# The demo's own prefix: Wine's X11 driver (the test prefix keeps the null
# one), readable fonts, and captions drawn by Wine, since Xvfb has no window
# manager to draw them. Made once; remade when this recipe changes.
demo_prefix_recipe=2
demo_prefix() {
  export WINEPREFIX=$root/build/demo-prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=win64
  local ready=$WINEPREFIX/.zentrobe-demo-ready
  [ "$(cat "$ready" 2>/dev/null)" = "$demo_prefix_recipe" ] && return 0
  echo "== preparing the demo's Wine prefix (build/demo-prefix)"
  rm -rf "$WINEPREFIX"
  mkdir -p "$(dirname "$WINEPREFIX")"
  wineboot -i >/dev/null 2>&1
  wineserver -w
  # Wine-only: this Wine never opens the fonts it ships (/usr/share/wine/fonts;
  # its data folder comes out as /usr/lib/wine/../../share/wine), so without
  # copies in C:\windows\Fonts there is no Tahoma and no Marlett: every text
  # falls back to some other face and the caption buttons show letters.
  [ -f /usr/share/wine/fonts/tahoma.ttf ] || die "Wine's fonts are missing (package fonts-wine)"
  cp /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/"
  # Japanese glyphs come from IPAGothic behind Tahoma; Wine picks the bold
  # caption font by the name "Tahoma Bold", so that one is linked too.
  local face
  for face in Tahoma 'Tahoma Bold'; do
    wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' \
      /v "$face" /t REG_MULTI_SZ /d 'ipag.ttf,IPAGothic' /f >/dev/null 2>&1
  done
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1
  wineserver -w
  echo "$demo_prefix_recipe" >"$ready"
}

# Ends everything the demo started in its prefix (players, launcher, Wine's
# own services) and that prefix's wineserver; no other prefix is touched.
stop_demo_wine() {
  [ "${WINEPREFIX:-}" = "$root/build/demo-prefix" ] || return 0
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
}

helper() {
  wine "$helper" "$@"
}

# Fresh demo folder: the launcher with the substitute player as its default
# player (FriioView.exe beside it), no settings file, no log.
prepare_demo_folder() {
  mkdir -p "$demo" "$shots"
  cp "$(shipped_exe x86_64)" "$testbed/player/FriioView.exe" "$demo/"
  rm -f "$demo/Zentrobe.ini" "$demo/player.log" "$shots"/*.png
}

# Wine up, tuners in, a player announcing list position 1 (the Black tuner).
# $1: that player's lifetime in ms (0: until closed).
start_scene() {
  demo_prefix
  prepare_demo_folder
  wine_server_start
  echo "== installing three simulated tuners: White (F4), Black (0A), White (F4)"
  (cd "$testbed/driver" && wine tunersim-install.exe install F4 0A F4) || die "the tuners did not install"
  echo "== starting a substitute player on tuner 1 (the Black one)"
  (cd "$demo" && unset SUBPLAYER_LOG && SUBPLAYER_LIFETIME_MS=$1 exec wine FriioView.exe -o 1) &
  helper wait player 20000 >/dev/null || die "the substitute player's window did not appear"
}

# "X Y W H" from the helper -> a PNG of that part of the screen.
screenshot() {
  local file=$1 x y w h
  read -r x y w h <<<"$2"
  [ -n "${h:-}" ] || die "no window rectangle for $file"
  # No date chunks, so an unchanged picture gives an unchanged file.
  import -window root -crop "${w}x${h}+${x}+${y}" +repage -define png:exclude-chunks=date,time \
    "$file" || die "screenshot $file failed"
  # A window that never painted comes out as one flat colour.
  [ "$(identify -format %k "$file")" -ge 8 ] || die "$file is blank"
  echo "   saved ${file#$root/} (${w}x${h})"
}

# Waits at most $2 seconds for process $1; its exit code, or 124 on timeout.
wait_for_exit() {
  local pid=$1 limit=$(($2 * 10)) i=0
  while kill -0 "$pid" 2>/dev/null; do
    ((++i > limit)) && return 124
    sleep 0.1
  done
  local code=0
  wait "$pid" || code=$?
  return $code
}

# Prints the player's start log; $1 (optional) is the number of starts expected.
print_player_log() {
  local log
  echo "== what the player received (SUBPLAYER_LOG, build/demo/player.log)"
  log=$(helper log "$(wine_path "$demo/player.log")") || die "cannot read the player log"
  printf '%s\n' "$log" | sed 's/^/   /'
  [ -z "${1:-}" ] || [ "$(printf '%s\n' "$log" | grep -c '^command line:')" = "$1" ] ||
    die "expected $1 player start(s) in the log"
}

automatic_demo() {
  trap stop_demo_wine EXIT
  start_scene 120000
  echo "== starting Zentrobe.exe (build/demo) on Xvfb $DISPLAY"
  (cd "$demo" && SUBPLAYER_LOG=$(wine_path "$demo/player.log") SUBPLAYER_LIFETIME_MS=5000 \
    exec wine Zentrobe.exe) &
  local launcher=$!

  # In short waits, so a launcher that ends without a window is told at once.
  local rect="" rows code=0 i
  for i in $(seq 30); do
    rect=$(helper wait main 1000 2>/dev/null) && break
    kill -0 "$launcher" 2>/dev/null || {
      wait "$launcher" || code=$?
      die "Zentrobe.exe ended (exit code $code) without showing its main window"
    }
  done
  [ -n "$rect" ] || die "the launcher's main window did not appear within 30 s"
  screenshot "$shots/main-window.png" "$rect"

  echo "== the rows the launcher lists"
  rows=$(helper rows) || die "cannot read the launcher's list"
  printf '%s\n' "$rows" | sed 's/^/   /'
  # Header plus three rows, and only the Black tuner's row (row 1) in use.
  [ "$(printf '%s\n' "$rows" | wc -l)" = 4 ] || die "expected 3 tuners in the list"
  [ "$(printf '%s\n' "$rows" | grep -n '起動' | cut -d: -f1)" = 3 ] ||
    die "expected only row 1 (the Black tuner) marked 起動"

  echo "== opening the settings dialog (設定)"
  helper press main 1003 || die "cannot press 設定"
  rect=$(helper wait settings 10000) || die "the settings dialog did not appear"
  screenshot "$shots/settings-dialog.png" "$rect"
  helper press settings 2 || die "cannot cancel the settings dialog"
  helper gone settings 10000 || die "the settings dialog did not close"
  echo "   closed it (Cancel)"

  echo "== selecting row 0 and pressing 起動 (Launch)"
  helper select 0 || die "cannot select row 0"
  helper press main 1002 || die "cannot press 起動"
  wait_for_exit "$launcher" 20 || code=$?
  [ "$code" != 124 ] || die "Zentrobe.exe did not exit within 20 s of the launch"
  echo "   Zentrobe.exe exited with code $code"
  print_player_log 1
  [ "$code" = 0 ] || die "Zentrobe.exe exited with code $code"
  echo "== demo finished: screenshots in build/demo/screenshots/"
}

interactive_demo() {
  trap stop_demo_wine EXIT
  trap 'exit 130' INT TERM
  start_scene 0
  echo "== Zentrobe.exe is on $DISPLAY: pick a tuner and press 起動 (Launch), or close the window"
  local code=0
  (cd "$demo" && SUBPLAYER_LOG=$(wine_path "$demo/player.log") SUBPLAYER_LIFETIME_MS=0 \
    exec wine Zentrobe.exe) || code=$?
  echo "   Zentrobe.exe exited with code $code"
  print_player_log
  echo "== close the substitute player windows to end the demo (or press Ctrl+C)"
  helper gone player 0 || true
}

if [ "${1:-}" = --under-xvfb ]; then
  automatic_demo
  exit 0
fi

ensure_packages
build_everything
if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  interactive_demo
else
  [ -n "${DISPLAY:-}" ] && echo "== DISPLAY=$DISPLAY is not reachable"
  echo "== no usable X display: running the demo by itself under Xvfb"
  # The wineserver starts inside, so Wine's desktop lives on this Xvfb.
  env -u DISPLAY xvfb-run -a -s "-screen 0 ${screen}x24 -nolisten tcp" \
    bash "$root/scripts/demo.sh" --under-xvfb
fi
