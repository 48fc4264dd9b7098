#!/usr/bin/env bash
# Builds the Debian packages (qeto-desk, qeto-sim and their -dbgsym), checks them with lintian,
# unpacks them into a throwaway root (dpkg -x: nothing is installed on the system), then:
#   - logs in through the unpacked launcher, offscreen, against the unpacked qeto-sim on free
#     ports, and checks the day log under the per-user data folder;
#   - crashes that client with SIGSEGV and checks the report: every thread listed, and once
#     symbolized with the -dbgsym files, main and a Qt event-loop frame on the main thread.
# Login without a person: the damaged-file suite's test-only plugin, loaded into the client as a
# Qt generic plugin, fills the real login form and presses its button
# (tests/e2e/login_driver_plugin.cpp).
set -euo pipefail
ROOT=${1:-"$(cd "$(dirname "$0")/../.." && pwd)"}
cd "$ROOT"
BUILD=${QETO_PKG_BUILD:-build-pkg}
JOBS=${JOBS:-2}

say() { echo "50-package: $*"; }
fail() { echo "50-package: FAIL $*" >&2; exit 1; }

for tool in cpack dpkg-deb dpkg-shlibdeps fakeroot file lintian eu-stack eu-addr2line objcopy pkg-config; do
  command -v "$tool" >/dev/null || fail "$tool not found (see scripts/setup-deps.sh)"
done

# --- build the packages ----------------------------------------------------------------------
# Only the packaged targets are built; CPack must not build everything first.
mkdir -p "$BUILD"
if ! cmake -S . -B "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON \
  > "$BUILD/configure.log" 2>&1; then
  cat "$BUILD/configure.log"
  exit 1
fi
# qeto_login_driver: the test-only plugin that fills the login form inside the client.
cmake --build "$BUILD" -j"$JOBS" --target Qeto-Desk qeto-sim qeto_login_driver >/dev/null
rm -rf "$BUILD/packages"
(cd "$BUILD" && cpack -G DEB) >"$BUILD/cpack.log" 2>&1 || { cat "$BUILD/cpack.log"; fail "cpack"; }
shopt -s nullglob
desk=("$BUILD"/packages/qeto-desk_*_amd64.deb)
sim=("$BUILD"/packages/qeto-sim_*_amd64.deb)
dbgsym=("$BUILD"/packages/*-dbgsym_*.ddeb)
shopt -u nullglob
[ "${#desk[@]}" -eq 1 ] && [ "${#sim[@]}" -eq 1 ] || fail "packages not built: $(ls "$BUILD/packages")"
[ "${#dbgsym[@]}" -eq 2 ] || fail "debug-symbol packages not built"
say "built $(basename "${desk[0]}") $(basename "${sim[0]}") and their -dbgsym"

# --- lintian: errors fail, warnings are shown ---------------------------------------------------
lint=$(lintian --tag-display-limit 0 "${desk[0]}" "${sim[0]}" 2>&1 | grep -v 'running with root privileges' || true)
[ -z "$lint" ] || echo "$lint"
if grep -q '^E: ' <<<"$lint"; then fail "lintian reports errors"; fi
say "lintian: $(grep -c '^E: ' <<<"$lint" || true) errors, $(grep -c '^W: ' <<<"$lint" || true) warnings"

# --- unpack into a throwaway root ------------------------------------------------------------
WORK=$(mktemp -d -t qeto-pkg.XXXXXX)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill -KILL "$p" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$WORK"
}
trap cleanup EXIT
TREE=$WORK/root
for deb in "${desk[0]}" "${sim[0]}" "${dbgsym[@]}"; do dpkg-deb -x "$deb" "$TREE"; done
[ -x "$TREE/usr/bin/qeto-desk" ] && [ -x "$TREE/opt/qeto-desk/Qeto-Desk" ] && [ -x "$TREE/usr/bin/qeto-sim" ] ||
  fail "unpacked tree incomplete"
grep -qF 'RUNPATH) Library runpath: [$ORIGIN]' <<<"$(readelf -d "$TREE/opt/qeto-desk/Qeto-Desk" | tr -s ' ')" ||
  fail "Qeto-Desk does not find its library through \$ORIGIN"
grep -q ', stripped' <<<"$(file "$TREE/opt/qeto-desk/Qeto-Desk")" || fail "installed client not stripped"

# shellcheck source=scripts/stage-lib.sh
source "$ROOT/scripts/stage-lib.sh"

# --- the simulator, on free ports; the throwaway tree's config points at them -----------------
"$TREE/usr/bin/qeto-sim" --counter-port 0 --md-port 0 >"$WORK/sim.out" 2>"$WORK/sim.err" &
pids+=($!)
waitFor 20 grep -q '^counter_port=' "$WORK/sim.out" || fail "qeto-sim did not start: $(cat "$WORK/sim.err")"
read -r counterPort mdPort < <(sed -n 's/^counter_port=\([0-9]*\) md_port=\([0-9]*\)$/\1 \2/p' "$WORK/sim.out")
cfg=$TREE/opt/qeto-desk/config
sed -i "s|^URL=.*|URL=tcp://127.0.0.1:$counterPort;|" "$cfg/api_config.txt"
sed -i "/^\[MD\]/,/^\[/ s|^port=.*|port=$mdPort|" "$cfg/qeto_desk_config.ini"
grep -q "^port=$mdPort\$" "$cfg/qeto_desk_config.ini" || fail "market-data port not set in the config"

# --- log in through the launcher ----------------------------------------------------------------
# XDG_DATA_HOME unset: the launcher falls back to ~/.local/share. Started from another folder,
# which must stay empty.
mkdir -p "$WORK/home" "$WORK/elsewhere"
PLUGINS=$(cd "$BUILD" && pwd)/testsupport/plugins
DATA=$WORK/home/.local/share/qeto-desk
(cd "$WORK/elsewhere" &&
  exec env -u XDG_DATA_HOME HOME="$WORK/home" QT_QPA_PLATFORM=offscreen \
    QT_PLUGIN_PATH="$PLUGINS" QT_QPA_GENERIC_PLUGINS=qetologindriver \
    "$TREE/usr/bin/qeto-desk") \
  >"$WORK/client.out" 2>&1 &
client=$!
pids+=("$client")
loggedIn() { grep -qs 'now can use order interface' "$DATA"/log/Qeto-Desk-*.log; }
if ! waitFor 60 loggedIn; then
  cat "$DATA"/log/Qeto-Desk-*.log 2>/dev/null | tail -20 || true
  fail "no successful login in the day log under $DATA/log"
fi
version=$(head -n 1 "$TREE/opt/qeto-desk/version.txt")
grep -qsF "version : $version" "$DATA"/log/Qeto-Desk-*.log || fail "version.txt beside the executable not read"
[ -z "$(ls -A "$WORK/elsewhere")" ] || fail "the client wrote into the folder it was started from"
say "logged in; day log $(cd "$DATA" && ls log/)"

# --- crash it ---------------------------------------------------------------------------------
# The client's process is the launcher's pid (exec); its threads before the crash must all be
# in the report.
threads=$(ls "/proc/$client/task")
say "crashing the client (pid $client) with SIGSEGV on purpose"
kill -SEGV "$client"
status=0
wait "$client" || status=$?
[ "$status" -eq $((128 + 11)) ] || fail "client ended with status $status, not by SIGSEGV"
shopt -s nullglob
dumps=("$DATA"/*.dmp)
shopt -u nullglob
[ "${#dumps[@]}" -eq 1 ] || fail "expected one crash report in $DATA, found ${#dumps[@]}"
report=${dumps[0]}
[[ $(basename "$report") =~ ^[0-9]{8}_[0-9]{9}\.dmp$ ]] || fail "report name $(basename "$report")"
grep -qx 'signal: 11 (SIGSEGV)' "$report" || fail "report does not name SIGSEGV"
for tid in $threads; do
  grep -qx "TID $tid:" "$report" || fail "thread $tid missing from the report"
done

tools/symbolize-crash -d "$TREE/usr/lib/debug" "$report" >"$WORK/symbolized.txt"
mainStack=$(awk -v t="TID $client:" '$0 == t {on = 1; next} /^TID / {on = 0} on' "$WORK/symbolized.txt")
grep -q ' main - ' <<<"$mainStack" || fail "main thread's stack does not name main: $mainStack"
grep -Eq ' (QEventLoop::exec|QCoreApplication::exec)\(' <<<"$mainStack" ||
  fail "main thread's stack has no Qt event-loop frame: $mainStack"
say "crash report $(basename "$report"): $(wc -w <<<"$threads") threads listed, main thread symbolized:"
grep -E ' (main|QEventLoop::exec|QCoreApplication::exec)(\(| - )' <<<"$mainStack" | sed 's/^/    /'

# --- XDG_DATA_HOME, when set, is where the launcher puts the client ------------------------------
(exec env XDG_DATA_HOME="$WORK/xdg" HOME="$WORK/home" QT_QPA_PLATFORM=offscreen "$TREE/usr/bin/qeto-desk") \
  >"$WORK/client2.out" 2>&1 &
client2=$!
pids+=("$client2")
started() { grep -qsF "version : $version" "$WORK"/xdg/qeto-desk/log/Qeto-Desk-*.log; }
waitFor 60 started || fail "no day log under \$XDG_DATA_HOME/qeto-desk/log"
kill -TERM "$client2"
wait "$client2" || true
# --- an install under a prefix stays under it: <prefix>/bin, <prefix>/libexec, <prefix>/share ------
PREFIX=$WORK/prefix
cmake --install "$BUILD" --prefix "$PREFIX" >"$WORK/install.log" 2>&1 || { cat "$WORK/install.log"; fail "install"; }
[ ! -e "$PREFIX/usr" ] && [ ! -e "$PREFIX/opt" ] || fail "--prefix install wrote $PREFIX/usr or $PREFIX/opt"
for f in bin/qeto-desk bin/qeto-sim libexec/qeto-desk/Qeto-Desk libexec/qeto-desk/version.txt \
  share/applications/qeto-desk.desktop share/icons/hicolor/scalable/apps/qeto-desk.svg share/man/man1/qeto-sim.1.gz; do
  [ -e "$PREFIX/$f" ] || fail "--prefix install lacks <prefix>/$f"
done
(exec env XDG_DATA_HOME="$WORK/xdg-prefix" QT_QPA_PLATFORM=offscreen "$PREFIX/bin/qeto-desk") \
  >"$WORK/client3.out" 2>&1 &
client3=$!
pids+=("$client3")
startedUnderPrefix() { grep -qsF "version : $version" "$WORK"/xdg-prefix/qeto-desk/log/Qeto-Desk-*.log; }
waitFor 60 startedUnderPrefix ||
  fail "the launcher under the prefix did not start its client: $(cat "$WORK/client3.out")"
kill -TERM "$client3"
wait "$client3" || true
say "--prefix install: $(cd "$PREFIX" && find . -type f | wc -l) files under bin/, libexec/ and share/, client started"

say "ok"
