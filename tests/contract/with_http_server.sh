#!/usr/bin/env bash
# Runs a command with a local HTTP server on 127.0.0.1 serving a fresh empty
# folder, named to the command (and, through Wine, to the Windows program) in
# VEXLO_CONTRACT_HTTP (host:port) and VEXLO_CONTRACT_HTTP_ROOT (the folder as
# Wine's Z: drive path). The server is stopped and the folder removed after.
# Usage: with_http_server.sh COMMAND [ARGS...]
set -u
root=$(mktemp -d "${TMPDIR:-/tmp}/vexlo-http.XXXXXX") || exit 99
port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1]); s.close()')
python3 -m http.server --bind 127.0.0.1 --directory "$root" "$port" >/dev/null 2>&1 &
server=$!
cleanup() { kill "$server" 2>/dev/null; wait "$server" 2>/dev/null; rm -rf "$root"; }
trap cleanup EXIT
for _ in $(seq 50); do
    python3 -c "import socket,sys; socket.create_connection(('127.0.0.1', $port), 0.2)" 2>/dev/null && break
    sleep 0.1
done
# The server is reached directly, never through a proxy of the environment.
unset http_proxy HTTP_PROXY
export VEXLO_CONTRACT_HTTP="127.0.0.1:$port"
export VEXLO_CONTRACT_HTTP_ROOT="Z:${root//\//\\}"
timeout 600 "$@"
