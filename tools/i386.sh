#!/usr/bin/env bash
# Runs a command where 32-bit x86 programs run: a private user and mount namespace with a
# binfmt_misc of its own (Linux 6.7 and later), in which qemu-i386 is registered for i386 ELF
# files. Children inherit it; the machine's own binfmt_misc is never touched, since a handler
# there would make every 64-bit Wine prefix start 32-bit helpers under emulation.
# Usage: tools/i386.sh COMMAND [ARGS...]
set -euo pipefail
qemu=${CORVEN_QEMU_I386:-/opt/corven-qemu/qemu-i386}
[ -x "$qemu" ] || { echo "i386.sh: no $qemu (run tools/install-wine32.sh)" >&2; exit 2; }
magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
# F: the interpreter is opened now, so it is found whatever the command's mounts.
rule=":corven-i386:M::$magic:$mask:$qemu:F"
exec unshare --user --map-root-user --mount bash -c '
  set -e
  mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc
  printf "%s" "$0" > /proc/sys/fs/binfmt_misc/register
  exec "$@"' "$rule" "$@"
