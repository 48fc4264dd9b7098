#!/usr/bin/env bash
# The Windows build under Wine 64, headless, in a throwaway prefix with its own wineserver and
# Xvfb, in a Chinese locale (ANSI code page 936):
#   - builds Qt for MinGW once per machine (cached), the client, library, qeto-sim.exe, the
#     suites and the installer (scripts/build-windows.sh);
#   - runs every Windows client suite through ctest (the e2e ones start qeto-sim.exe);
#   - installs silently into a folder named in Chinese, starts the installed client the way its
#     shortcut does (in %LOCALAPPDATA%\Qeto-Desk) on the windows platform, logs in through the real
#     login page against the Linux qeto-sim over loopback, checks the title and the day log;
#   - crashes that client with an access violation on its GUI thread and checks the minidump;
#   - uninstalls silently and checks the program folder is gone and the data folder stays.
# Login and crash without a person: the test-only login driver plugin (tests/e2e), loaded as a
# Qt generic plugin; the shipped client loads no plugin of that kind by itself.
set -euo pipefail
ROOT=${1:-"$(cd "$(dirname "$0")/../.." && pwd)"}
cd "$ROOT"
BUILD=${QETO_WIN_BUILD:-build-win}
export QETO_WIN_BUILD=$BUILD
JOBS=${JOBS:-2}

say() { echo "60-windows: $*"; }
fail() { echo "60-windows: FAIL $*" >&2; exit 1; }

# shellcheck source=scripts/stage-lib.sh
source "$ROOT/scripts/stage-lib.sh"

t0=$SECONDS
# A first run on a new machine builds Qt for MinGW (about 40 minutes on 2 cores; scripts/test.sh
# starts it in the background, this waits for it). When that leaves too little of the run's time
# (QETO_RUN_START, set by scripts/test.sh), the Windows suites are neither built nor run this once;
# the client, installer, login, crash dump and uninstall are checked as always, and the next run,
# with Qt cached, runs the suites too.
bash scripts/setup-deps.sh >&2
QETO_QT_MINGW=$(bash scripts/build-qt-mingw.sh | tail -n 1)
export QETO_QT_MINGW
if [ -s "${QETO_QT_MINGW_LOG:-}" ]; then
  sed 's/^/  background: /' "$QETO_QT_MINGW_LOG"
fi
if [ -z "${QETO_WIN_SUITES:-}" ] && [ -n "${QETO_RUN_START:-}" ]; then
  spent=$(($(date +%s) - QETO_RUN_START))
  if [ "$spent" -gt "${QETO_WIN_SUITES_BEFORE_S:-3900}" ]; then
    QETO_WIN_SUITES=0
    say "Windows suites skipped in this run: $((spent / 60)) min gone after building Qt for MinGW"
  fi
fi
export QETO_WIN_SUITES=${QETO_WIN_SUITES:-1}
INSTALLER=$(bash scripts/build-windows.sh | tail -n 1)
[ -f "$INSTALLER" ] || fail "no installer built"
say "built $(basename "$INSTALLER") in $((SECONDS - t0)) s"
say "Qt for MinGW: $(tr '\n' ' ' <"$QETO_QT_MINGW/.complete")"

WINE=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver
WORK=$(mktemp -d -t qeto-win.XXXXXX)
export WINEPREFIX=$WORK/prefix QETO_WINEPREFIX=$WORK/prefix WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=" LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill -KILL "$p" 2>/dev/null || true; done
  timeout 30 "$WINESERVER" -k 2>/dev/null || true
  timeout 30 "$WINESERVER" -w 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$WORK"
}
trap cleanup EXIT

# --- a display of its own -------------------------------------------------------------------------
for n in $(seq 90 130); do
  [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] || { DISP=$n; break; }
done
Xvfb ":$DISP" -screen 0 1600x1000x24 -nolisten tcp >"$WORK/xvfb.log" 2>&1 &
pids+=($!)
waitFor 20 test -e "/tmp/.X11-unix/X$DISP" || fail "Xvfb did not start"
export DISPLAY=":$DISP"

# --- the prefix and its server (after the display: Wine picks its graphics driver at boot) ------------------------------------------------------------------
mkdir -p "$WINEPREFIX"
"$WINESERVER" -p
timeout 300 "$WINE" wineboot --init >"$WORK/wineboot.log" 2>&1 || { cat "$WORK/wineboot.log"; fail "wineboot"; }
say "prefix ready in $((SECONDS - t0)) s"

# --- the suites -----------------------------------------------------------------------------------
if [ "$QETO_WIN_SUITES" = "1" ]; then
  (cd "$BUILD" && ctest --output-on-failure -j"$JOBS" --timeout 600)
fi

# --- install silently into a folder named in Chinese -------------------------------------------
USERDIR=$WINEPREFIX/drive_c/users/$(id -un)
INSTWIN='C:\量化交易\Qeto-Desk'
INST=$WINEPREFIX/drive_c/量化交易/Qeto-Desk
timeout 300 "$WINE" "$INSTALLER" /S "/D=$INSTWIN" || fail "installer exited with $?"
waitFor 60 test -f "$INST/uninstall.exe" || fail "nothing installed in $INST"
for f in Qeto-Desk.exe libQetoGateAPI.dll qeto-sim.exe version.txt config/api_config.txt \
         config/qeto_desk_config.ini config/error_msg.json platforms/qwindows.dll \
         styles/qwindowsvistastyle.dll imageformats/qsvg.dll imageformats/qjpeg.dll \
         iconengines/qsvgicon.dll Qt5Core.dll libstdc++-6.dll libwinpthread-1.dll; do
  [ -f "$INST/$f" ] || fail "installed folder lacks $f"
done
MENU=$USERDIR/AppData/Roaming/Microsoft/Windows/Start\ Menu/Programs/Qeto-Desk
[ -f "$MENU/Qeto-Desk.lnk" ] || fail "no Start-menu shortcut"
[ -f "$MENU/Qeto-Desk Simulator.lnk" ] || fail "no simulator shortcut"
DATA=$USERDIR/AppData/Local/Qeto-Desk
[ -d "$DATA" ] || fail "data folder $DATA not created"
"$WINE" reg query 'HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Qeto-Desk' /v UninstallString \
  >"$WORK/reg.txt" 2>&1 || fail "no uninstall entry"
say "installed $(cd "$INST" && find . -type f | wc -l) files into $INSTWIN"
(cd "$INST" && find . -type f | sort | sed 's/^\.\//    /')

# --- the Linux qeto-sim on free ports, names in GBK; the installed config points at it ---------
"$ROOT/build/bin/qeto-sim" --counter-port 0 --md-port 0 --md-encoding gbk --text-encoding gbk \
  >"$WORK/sim.out" 2>"$WORK/sim.err" &
pids+=($!)
waitFor 20 grep -q '^counter_port=' "$WORK/sim.out" || fail "qeto-sim did not start: $(cat "$WORK/sim.err")"
read -r counterPort mdPort < <(sed -n 's/^counter_port=\([0-9]*\) md_port=\([0-9]*\)$/\1 \2/p' "$WORK/sim.out")
sed -i "s|^URL=.*|URL=tcp://127.0.0.1:$counterPort;|" "$INST/config/api_config.txt"
sed -i "/^\[MD\]/,/^\[/ s|^port=.*|port=$mdPort|" "$INST/config/qeto_desk_config.ini"

# --- the installed client, started as its shortcut starts it ------------------------------------
# Wine hands the host's WINEQT_* variables to Windows programs as QT_* (and keeps QT_* itself).
PLUGINS="Z:$(printf '%s' "$ROOT/$BUILD/testsupport/plugins" | tr '/' '\\')"
: >"$WORK/driver.out"  # read by the waits below before the client writes to it
(cd "$DATA" && exec env WINEQT_PLUGIN_PATH="$PLUGINS" WINEQT_QPA_GENERIC_PLUGINS=qetologindriver:crash \
   WINEPATH= "$WINE" "$INST/Qeto-Desk.exe") >"$WORK/driver.out" 2>"$WORK/client.err" &
client=$!
pids+=("$client")
# The driver's lines, without the CR that a Windows program's text-mode output adds.
driver() { tr -d '\r' <"$WORK/driver.out"; }
driverSaid() { driver | grep -q "$1"; }
waitFor 90 driverSaid '^page: workspace' ||
  { cat "$WORK/driver.out" "$WORK/client.err"; tail -n 20 "$DATA"/log/*.log 2>/dev/null || true; fail "no login"; }
version=$(head -n 1 "$INST/version.txt" | tr -d '\r')
driver | grep -qxF "title: Qeto-Desk $version" || fail "$(driver | grep '^title')"
LOG=$(ls "$DATA"/log/Qeto-Desk-*.log 2>/dev/null | head -n 1)
[ -n "$LOG" ] || fail "no day log in $DATA/log"
[[ $(basename "$LOG") =~ ^Qeto-Desk-[0-9]{8}\.log$ ]] || fail "day log name $(basename "$LOG")"
waitFor 20 grep -q 'now can use order interface' "$LOG" || fail "no successful login in the day log"
grep -qF "version : $version" "$LOG" || fail "version not logged"
first=$(head -n 1 "$LOG")
[[ $first == *$'\r' ]] || fail "day log lines do not end in CR LF"
say "logged in from $INSTWIN; the day log's first lines:"
head -n 6 "$LOG" | iconv -f GBK -t UTF-8 | tr -d '\r' | sed 's/^/    /'
sleep 1
import -display "$DISPLAY" -window root "$WORK/workspace.png" 2>/dev/null && cp "$WORK/workspace.png" "$BUILD/wine-workspace.png" || true

# --- the crash ------------------------------------------------------------------------------------
waitFor 60 driverSaid '^crash: thread ' || fail "the driver did not crash the client"
crashTid=$(driver | sed -n 's/^crash: thread \([0-9]*\)$/\1/p')
dumpDone() { compgen -G "$DATA/*.dmp" >/dev/null && ! kill -0 "$client" 2>/dev/null; }
waitFor 120 dumpDone || fail "no minidump in $DATA, or the client did not end"
dump=$(ls "$DATA"/*.dmp | head -n 1)
[[ $(basename "$dump") =~ ^[0-9]{8}_[0-9]{9}\.dmp$ ]] || fail "dump name $(basename "$dump")"
python3 "$ROOT/scripts/minidump-streams.py" "$dump" --crash-thread "$crashTid" || fail "minidump check"

# --- uninstall ----------------------------------------------------------------------------------
timeout 120 "$WINE" "$INST/uninstall.exe" /S || true
waitFor 60 bash -c "! test -e '$INST'" || fail "program folder left after uninstall: $(ls -R "$INST")"
[ -f "$LOG" ] && [ -f "$dump" ] || fail "the uninstaller removed the user's log or dump"
[ ! -e "$MENU" ] || fail "Start-menu folder left after uninstall"
say "uninstalled; $DATA keeps $(ls "$DATA" "$DATA/log" | grep -c -E '\.(log|dmp)$') log and dump files"
say "ok in $((SECONDS - t0)) s"
