#!/usr/bin/env bash
# Runs a unit-test executable of the x86 build under 32-bit Wine.
#
#   run_x86_unit_test.sh WINE-RUN TEST.EXE
#
# Exits 77 (skipped) where 32-bit programs run only under qemu-user
# (scripts/setup registers it where the kernel runs none): there each start
# of a 32-bit Wine program takes minutes, and a thread that blocks in a
# socket call can crash Wine's own code, so the unit tests are left to
# machines that run 32-bit programs themselves. The Windows hosts and the
# SDK's tarn.exe still run there.
set -u
if grep -qsx enabled /proc/sys/fs/binfmt_misc/qemu-i386; then
  echo "SKIPPED: 32-bit programs run under qemu-user on this machine"
  exit 77
fi
exec "$1" "$2"
