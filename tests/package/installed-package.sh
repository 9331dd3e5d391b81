#!/usr/bin/env bash
# Builds the .deb packages from a build tree, unpacks them into a scratch root as dpkg would install
# them, and checks what a desktop user gets: stripped binaries, the dependencies, the desktop entry
# and icon, and the installed client fetching the menu from the installed sample back-end.
#
#   tests/package/installed-package.sh BUILD_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
scratch=$(mktemp -d)
server_pid=
client_pid=
cleanup() {
  [ -n "$client_pid" ] && kill "$client_pid" 2>/dev/null || true
  [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$scratch"
}
trap cleanup EXIT
fail() {
  echo "installed-package: $*" >&2
  exit 1
}

(cd "$build" && cpack -G DEB -B "$scratch/packages" >"$scratch/cpack.log" 2>&1) || {
  cat "$scratch/cpack.log" >&2
  fail "cpack failed"
}
client_deb=$(ls "$scratch"/packages/quorelapi_*.deb)
server_deb=$(ls "$scratch"/packages/quorelapi-server_*.deb)
root=$scratch/root
dpkg -x "$client_deb" "$root"
dpkg -x "$server_deb" "$root"

for file in usr/bin/quorelapi usr/bin/quorelapi-server usr/share/applications/quorelapi.desktop \
  usr/share/icons/hicolor/scalable/apps/quorelapi.svg usr/share/icons/hicolor/48x48/apps/quorelapi.png; do
  [ -f "$root/$file" ] || fail "$file is not in the packages"
done
for program in quorelapi quorelapi-server; do
  if readelf -S "$root/usr/bin/$program" | grep -q '\.debug_info'; then
    fail "$program is installed with its debug information"
  fi
done
depends=$(dpkg-deb -f "$client_deb" Depends)
for library in libqt6widgets6 libcurl4 qt6-translations-l10n; do
  [[ $depends == *"$library"* ]] || fail "quorelapi does not depend on $library: $depends"
done
[[ $(dpkg-deb -f "$server_deb" Depends) == *libpq5* ]] || fail "quorelapi-server does not depend on libpq5"
grep -q '^Exec=quorelapi' "$root/usr/share/applications/quorelapi.desktop" || fail "the desktop entry does not start quorelapi"

# The installed back-end on a free port; its first line names it.
"$root/usr/bin/quorelapi-server" --memory --port 0 >"$scratch/server.log" 2>&1 &
server_pid=$!
port=
for _ in $(seq 100); do
  port=$(sed -n 's|.*listening on http://127.0.0.1:\([0-9]*\).*|\1|p' "$scratch/server.log")
  [ -n "$port" ] && break
  sleep 0.1
done
[ -n "$port" ] || fail "the installed quorelapi-server did not start: $(cat "$scratch/server.log")"

# The installed client, with its configuration named on the command line, from another folder.
mkdir -p "$scratch/home"
printf '[config]\nservidor=http://127.0.0.1\nporta=%s\n' "$port" >"$scratch/config.ini"
(cd "$scratch/home" && HOME=$scratch/home XDG_CONFIG_HOME=$scratch/home/.config QT_QPA_PLATFORM=offscreen \
  QT_LOGGING_RULES='quorel.rest.requests.debug=true' \
  exec "$root/usr/bin/quorelapi" --config "$scratch/config.ini" >"$scratch/client.log" 2>&1) &
client_pid=$!
for _ in $(seq 300); do
  grep -q 'GET acesso/menus 200' "$scratch/client.log" && break
  kill -0 "$client_pid" 2>/dev/null || fail "the installed quorelapi ended: $(cat "$scratch/client.log")"
  sleep 0.1
done
grep -q 'GET acesso/menus 200' "$scratch/client.log" || fail "the installed quorelapi got no menu: $(cat "$scratch/client.log")"
echo "installed-package: the packages install, and the installed client read the menu of the installed back-end"
