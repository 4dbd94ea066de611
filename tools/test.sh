#!/usr/bin/env bash
# Sets up a Debian 12 machine, builds the saver and runs every test under Wine.
#   tools/test.sh            (from the repository's top folder or anywhere)
# The i686 build is the product, and it is what the tests run: under 32-bit Wine
# inside the project's private Debian root (tools/root.sh), since the machine
# itself holds no i386 packages. Where the kernel runs no 32-bit programs, that
# root is an emulated PC, far slower: the x86_64 twin runs the whole suite under
# 64-bit Wine on the machine, and the emulated PC runs the i686 product's setup
# program and a full-screen run of it (KH_ROOT_VM=1 takes this way on any
# kernel). The last lines say what ran where.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"

bash tools/setup.sh

configure() {  # configure DIR TOOLCHAIN TESTS
  cmake -S . -B "$1" -G Ninja -DCMAKE_TOOLCHAIN_FILE="cmake/$2" -DKH_TESTS="$3" >/dev/null
}

# What the emulated PC runs of the i686 suite: the setup program in a 32-bit and a
# 64-bit prefix, and the product full-screen.
emulated='^(release_setup|product_tests)$'
if [ "${KH_ROOT_VM:-}" != 1 ] && tools/can_run_32bit.sh; then
  in_pc=
  ran="the i686 product's suite (build/) under 32-bit Wine in the private Debian root"
  configure build mingw-i686.cmake ON
  configure build-x64 mingw-x86_64.cmake OFF
else
  in_pc=1
  ran="the x86_64 twin's suite (build-x64/) under 64-bit Wine on this machine; in an emulated PC (this kernel runs no 32-bit programs), the i686 product's tests $emulated (build/) under 32-bit Wine"
  configure build mingw-i686.cmake ON
  configure build-x64 mingw-x86_64.cmake ON
fi
# Made before anything is built, so that a mirror that is down fails at once.
tools/root.sh build
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
if [ -z "$in_pc" ]; then
  tools/root.sh run ctest --test-dir build --output-on-failure || status=$?
else
  ctest --test-dir build-x64 --output-on-failure || status=$?
  # The build's prefix is made before ctest starts: in the emulated PC that takes
  # minutes, more than the harness fixture's limit.
  tools/root.sh run bash -c 'tools/harness.sh start build win32 && ctest --test-dir build -R "$0" --output-on-failure' \
    "$emulated" || status=$?
fi
echo
echo "tests ran: $ran"
exit $status
