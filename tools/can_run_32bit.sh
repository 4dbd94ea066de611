#!/usr/bin/env bash
# Exits 0 when this machine can run 32-bit x86 programs (and so 32-bit Wine).
[ -x /lib/ld-linux.so.2 ] && /lib/ld-linux.so.2 --version >/dev/null 2>&1
