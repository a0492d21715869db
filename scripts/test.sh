#!/usr/bin/env bash
# Installs what a fresh Debian 12 machine lacks (when run as root), checks the
# format, clang-tidy's findings and the map of the sources (scripts/verifier.sh),
# builds the project with warnings as errors, with g++ and with clang++, and
# runs every test. This is what CI runs.
set -euo pipefail
cd "$(dirname "$0")/.."

# libical-dev and pkg-config: the interoperability test reads the results with libical.
# dpkg-dev: cpack finds the package's dependencies with dpkg-shlibdeps.
# clang and libclang-rt-14-dev: the fuzz target (libFuzzer comes with the latter).
# lintian: the installation check has it check the package.
# clang-format and clang-tidy: scripts/verifier.sh.
# tzdata: the time zones the tests convert with (a minimal system may lack it).
paquets=(cmake g++ make libgtest-dev libical-dev pkg-config dpkg-dev clang libclang-rt-14-dev lintian
  clang-format clang-tidy tzdata)
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

# A build that fails here on a warning builds with the README's first command,
# where warnings stay warnings: say so.
construire() {
  if ! cmake --build "$1" -j"$jobs" "${@:2}"; then
    echo "test.sh: the build in $1 failed; here every warning (-Wall -Wextra -Wpedantic) is" \
      "an error: fix what the compiler says above" >&2
    exit 1
  fi
}

echo "== format, clang-tidy and the map of the sources (scripts/verifier.sh)"
bash scripts/verifier.sh

echo "== build with g++, warnings as errors, and test"
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELLUMCAST_TESTS=ON \
  -DCMAKE_COMPILE_WARNING_AS_ERROR=ON >/dev/null
construire build
ctest --test-dir build --output-on-failure -j"$jobs"

echo "== the same tests built with clang++, under AddressSanitizer and UndefinedBehaviorSanitizer"
cmake -S . -B build-clang -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
  -DVELLUMCAST_TESTS=ON -DVELLUMCAST_SANITIZE=ON -DCMAKE_COMPILE_WARNING_AS_ERROR=ON >/dev/null
construire build-clang
ctest --test-dir build-clang --output-on-failure -j"$jobs"

echo "== fuzzing the conversion for ${FUZZ_SECONDS:-60} s"
cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
  -DVELLUMCAST_FUZZ=ON -DVELLUMCAST_TESTS=OFF -DFUZZ_SECONDS="${FUZZ_SECONDS:-60}" \
  -DCMAKE_COMPILE_WARNING_AS_ERROR=ON >/dev/null
construire build-fuzz --target vellumcast_fuzz
cmake --build build-fuzz --target fuzz

echo "== install and run the installed program"
bash scripts/installation.sh build
