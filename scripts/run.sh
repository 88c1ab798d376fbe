#!/usr/bin/env bash
# Starts Orvel 97, or says how when there is no display to show it on.
set -euo pipefail
program=$1
shift || true
if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" && -z "${QT_QPA_PLATFORM:-}" ]]; then
  cat >&2 <<'MSG'
Orvel 97 braucht einen Bildschirm, aber es ist keiner eingerichtet (DISPLAY und
WAYLAND_DISPLAY sind leer).

Auf einem Rechner ohne Bildschirm starten Sie Orvel 97 in einem virtuellen:
    sudo apt-get install xvfb
    xvfb-run -a make run
MSG
  exit 1
fi
exec "$program" "$@"
