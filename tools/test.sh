#!/usr/bin/env bash
# Sets up a Debian 12 machine, builds the saver and runs every test under Wine.
#   tools/test.sh            (from the repository's top folder or anywhere)
# The i686 build is the product, and it is what the tests run: under 32-bit Wine
# inside the project's private Debian root (tools/root.sh), since the machine
# itself holds no i386 packages. Where the kernel runs no 32-bit programs, the
# x86_64 twin runs the same suite under 64-bit Wine on the machine instead. The
# last lines say which ran.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"

bash tools/setup.sh

configure() {  # configure DIR TOOLCHAIN TESTS
  cmake -S . -B "$1" -G Ninja -DCMAKE_TOOLCHAIN_FILE="cmake/$2" -DKH_TESTS="$3" >/dev/null
}

if tools/can_run_32bit.sh; then
  test_build=build
  ran="the i686 product's suite (build/) under 32-bit Wine in the private Debian root"
  configure build mingw-i686.cmake ON
  configure build-x64 mingw-x86_64.cmake OFF
  # Made before anything is built, so that a mirror that is down fails at once.
  tools/root.sh build
else
  test_build=build-x64
  ran="the x86_64 twin's suite (build-x64/) under 64-bit Wine on this machine, because this kernel runs no 32-bit programs (32-bit Wine cannot start here); the i686 product was built but not run"
  configure build mingw-i686.cmake OFF
  configure build-x64 mingw-x86_64.cmake ON
fi
# The package target builds the i686 product and packs the release archive,
# which a test checks against it.
cmake --build build --target package
cmake --build build-x64
echo "product: $top/build/KH_Schoner.scr (i686), release archive $top/build/KH_Schoner-1.6.zip"

# The window-free logic, natively under the sanitizers, with a bounded fuzz run.
bash tools/native_checks.sh

# The fixture tests start and stop the X servers and the wineservers; they also run
# when another test fails, and the root's namespaces end whatever they leave.
status=0
if [ "$test_build" = build ]; then
  tools/root.sh run ctest --test-dir build --output-on-failure || status=$?
else
  ctest --test-dir build-x64 --output-on-failure || status=$?
fi
echo
echo "tests ran: $ran"
exit $status
