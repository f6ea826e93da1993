#!/usr/bin/env bash
# Installs the build into a scratch prefix and checks it as a desktop and a
# user would: every file in its usual place, a desktop entry that validates,
# and, run as a user who cannot write to the installation, a first start that
# copies the tables into the user's own data folder.
# Usage: install_test.sh BUILD_DIR
set -euo pipefail
build=$1
# Under /tmp, so that another user can reach the installation wherever the
# build folder lies.
scratch=$(mktemp -d /tmp/marvessa-install.XXXXXX)
trap 'rm -rf "$scratch"' EXIT
prefix=$scratch/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null

fail() { echo "FAIL: $*" >&2; exit 1; }
data=$prefix/share/marvessa
[[ -x $prefix/bin/marvessa ]] || fail "no program in bin/"
for table in qvault ces qvaultusr; do
  for ext in DAT IDX BLB; do [[ -f $data/$table.$ext ]] || fail "no $table.$ext in share/marvessa"; done
done
[[ -f $data/exhibits/memory.bmp ]] || fail "no exhibits in share/marvessa"
entry=$prefix/share/applications/marvessa.desktop
[[ -f $entry ]] || fail "no desktop entry"
[[ -f $prefix/share/icons/hicolor/scalable/apps/marvessa.svg ]] || fail "no icon in the hicolor theme"
grep -qx 'Categories=Education;' "$entry" || fail "the desktop entry is not in Education"
desktop-file-validate "$entry" || fail "desktop-file-validate refuses the entry"

# The first start by a user: only root can switch to one.
if [[ $(id -u) -ne 0 ]] || ! command -v runuser >/dev/null; then
  echo "installed tree checked; the first start as another user needs root"
  exit 0
fi
home=$scratch/home
mkdir -p "$home" "$scratch/run"
chmod -R a+rX "$scratch"
chown nobody "$home" "$scratch/run"
chmod 700 "$scratch/run"
runuser -u nobody -- env -i HOME="$home" PATH=/usr/bin:/bin QT_QPA_PLATFORM=offscreen \
  XDG_RUNTIME_DIR="$scratch/run" "$prefix/bin/marvessa" >"$scratch/program.log" 2>&1 &
program=$!
own=$home/.local/share/marvessa
for _ in $(seq 200); do
  [[ -f $own/qvaultusr.BLB ]] && break
  kill -0 "$program" 2>/dev/null || break
  sleep 0.1
done
sleep 0.5
kill "$program" 2>/dev/null || true
wait "$program" 2>/dev/null || true
for table in qvault ces qvaultusr; do
  for ext in DAT IDX BLB; do
    cmp -s "$data/$table.$ext" "$own/$table.$ext" || { cat "$scratch/program.log" >&2; fail "$table.$ext not copied to the user's folder"; }
  done
done
[[ $(stat -c %U "$own/qvault.DAT") == nobody ]] || fail "the user's copy does not belong to the user"
cmp -s "$data/exhibits/memory.bmp" "$own/exhibits/memory.bmp" || fail "the pictures do not resolve from the user's folder"
[[ ! -e $data/ces.DAT.part ]] || fail "the installation was written to"
echo "installed tree checked; a user's first start copied the tables to $own"
