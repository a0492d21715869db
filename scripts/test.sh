#!/usr/bin/env bash
# Installs what a fresh Debian 12 machine lacks (when run as root), builds the
# project and runs every test. This is what CI runs.
set -euo pipefail
cd "$(dirname "$0")/.."

# libical-dev and pkg-config: the interoperability test reads the results with libical.
paquets=(cmake g++ make libgtest-dev libical-dev pkg-config)
manquants=()
for p in "${paquets[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || manquants+=("$p")
done
if ((${#manquants[@]})); then
  if [[ $(id -u) -eq 0 ]]; then
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${manquants[@]}"
  else
    echo "missing packages: ${manquants[*]} (run as root to install them)" >&2
    exit 1
  fi
fi

jobs=$(nproc)

echo "== build and test"
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$jobs"
ctest --test-dir build --output-on-failure -j"$jobs"
