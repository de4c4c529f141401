#!/usr/bin/env bash
# Prints the processor that the tests and the main job run the programs for:
#   i686    where this machine runs 32-bit x86 code itself (the programs we ship);
#   x86_64  where it cannot: a kernel without IA-32 emulation, or one that runs
#           32-bit code only through an emulator registered with binfmt_misc
#           (qemu-user), under which Wine is too slow and crashes now and then.
# The x86_64 build is the same sources through the 64-bit cross compiler, run
# under wine64. NORVASK_TEST_ARCH=i686|x86_64 forces the choice.
set -euo pipefail
if [ -n "${NORVASK_TEST_ARCH:-}" ]; then
  echo "$NORVASK_TEST_ARCH"
  exit 0
fi
i386_elf_magic=7f454c4601010100000000000000000002000300
for handler in /proc/sys/fs/binfmt_misc/*; do
  [ -f "$handler" ] || continue
  if [ "$(head -n1 "$handler" 2>/dev/null)" = enabled ] &&
     grep -qs "^magic $i386_elf_magic" "$handler"; then
    echo x86_64
    exit 0
  fi
done
# Wine's 32-bit loader is itself a 32-bit program.
if /usr/lib/wine/wine --version >/dev/null 2>&1; then
  echo i686
else
  echo x86_64
fi
