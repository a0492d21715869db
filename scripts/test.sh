#!/usr/bin/env bash
# Installs what a fresh Debian 12 machine lacks (when run as root), builds the
# project and runs every test. This is what CI runs.
set -euo pipefail
cd "$(dirname "$0")/.."

# libical-dev and pkg-config: the interoperability test reads the results with libical.
# dpkg-dev: cpack finds the package's dependencies with dpkg-shlibdeps.
# clang and libclang-rt-14-dev: the fuzz target (libFuzzer comes with the latter).
# lintian: the installation check has it check the package.
# tzdata: the time zones the tests convert with (a minimal system may lack it).
paquets=(cmake g++ make libgtest-dev libical-dev pkg-config dpkg-dev clang libclang-rt-14-dev lintian
  tzdata)
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
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELLUMCAST_TESTS=ON >/dev/null
cmake --build build -j"$jobs"
ctest --test-dir build --output-on-failure -j"$jobs"

echo "== the same tests under AddressSanitizer and UndefinedBehaviorSanitizer"
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELLUMCAST_TESTS=ON -DVELLUMCAST_SANITIZE=ON >/dev/null
cmake --build build-asan -j"$jobs"
ctest --test-dir build-asan --output-on-failure -j"$jobs"

echo "== fuzzing the conversion for ${FUZZ_SECONDS:-60} s"
cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
  -DVELLUMCAST_FUZZ=ON -DVELLUMCAST_TESTS=OFF -DFUZZ_SECONDS="${FUZZ_SECONDS:-60}" >/dev/null
cmake --build build-fuzz -j"$jobs" --target fuzz

echo "== install and run the installed program"
bash scripts/installation.sh build
