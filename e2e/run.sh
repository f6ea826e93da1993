#!/usr/bin/env bash
# Installs the build into a scratch prefix and runs the end-to-end scenarios
# on it under Xvfb, with a session bus for the accessibility tree.
# Usage: e2e/run.sh BUILD_DIR [SCENARIO ...]
# Pictures of a failed scenario's screen are kept in $MARVESSA_E2E_KEEP when
# that is set.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$1
shift
work=$(mktemp -d /tmp/marvessa-e2e.XXXXXX)
trap 'if [[ -n ${MARVESSA_E2E_KEEP:-} ]]; then cp -r "$work"/. "$MARVESSA_E2E_KEEP"/; fi; rm -rf "$work"' EXIT
cmake --install "$build" --prefix "$work/prefix" >/dev/null
unset QT_QPA_PLATFORM
xvfb-run -a -s "-screen 0 1280x1024x24" dbus-run-session -- \
  /usr/bin/python3 "$here/scenarios.py" "$work/prefix" "$work" "$@"
