#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The sharing server's availability under many and hostile clients, run by
# hand: bench/share_availability.sh. The server runs in a process of its own
# (see bench/share_availability.cpp for what each figure means).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../scripts/common.sh"

ensure_packages "${BUILD_PACKAGES[@]}"
build_tree build-bench -DCMAKE_BUILD_TYPE=Release -DBREVORA_TESTS=OFF -DBREVORA_BENCH=ON
bench="$REPO_ROOT/build-bench/bench/share_availability"
work="$(mktemp -d)"
trap 'kill "$server" 2>/dev/null || true; rm -rf "$work"' EXIT

ulimit -n 4096
"$bench" serve "$work" > "$work/port" &
server=$!
while [ ! -s "$work/port" ]; do sleep 0.1; done
"$bench" clients "$(cat "$work/port")" "$server"
