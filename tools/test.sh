#!/usr/bin/env bash
# Sets up a Debian 12 machine, builds the saver and runs every test under Wine.
#   tools/test.sh            (from the repository's top folder or anywhere)
# The i686 build is the product; an x86_64 build is compiled too. The tests run
# under 32-bit Wine where this machine can execute 32-bit programs, and under
# 64-bit Wine with the x86_64 build where the kernel has no 32-bit support.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"

bash tools/setup.sh

configure() {  # configure DIR TOOLCHAIN TESTS
  cmake -S . -B "$1" -G Ninja -DCMAKE_TOOLCHAIN_FILE="cmake/$2" -DKH_TESTS="$3" >/dev/null
}

if tools/can_run_32bit.sh; then
  test_build=build; test_arch=i686
  configure build mingw-i686.cmake ON
  configure build-x64 mingw-x86_64.cmake OFF
else
  echo "note: this kernel runs no 32-bit programs; testing the x86_64 build under 64-bit Wine"
  test_build=build-x64; test_arch=x86_64
  configure build mingw-i686.cmake OFF
  configure build-x64 mingw-x86_64.cmake ON
fi
# The package target builds the i686 product and packs the release archive,
# which a test checks against it.
cmake --build build --target package
cmake --build build-x64
echo "product: $top/build/KH_Schoner.scr (i686), release archive $top/build/KH_Schoner-1.6.zip; tests: $test_arch build in $test_build"

# The window-free logic, natively under the sanitizers, with a bounded fuzz run.
bash tools/native_checks.sh

# The fixture tests start and stop Xvfb and the wineserver; they also run when
# another test fails, so nothing is left running.
ctest --test-dir "$test_build" --output-on-failure
