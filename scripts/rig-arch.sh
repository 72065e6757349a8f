# Prints the Windows target the test rig can run on this machine: i686 (the
# product's own, under 32-bit Wine) where the kernel runs 32-bit programs, else
# x86_64 (the same sources under 64-bit Wine). HALVEX_ARCH overrides the probe.
# The kernel itself is asked, by running a 32-bit program of a few bytes; the
# Wine the choice needs must be installed (scripts/setup.sh installs it), unless
# called as "rig-arch.sh --kernel" (by setup itself).
#   rig-arch.sh [--kernel]
set -euo pipefail
if [ -n "${HALVEX_ARCH:-}" ]; then
  case "$HALVEX_ARCH" in
    i686|x86_64) echo "$HALVEX_ARCH"; exit 0 ;;
    *) echo "rig-arch: HALVEX_ARCH must be i686 or x86_64, not '$HALVEX_ARCH'" >&2; exit 2 ;;
  esac
fi
probe_dir=$(mktemp -d "${TMPDIR:-/tmp}/halvex-arch.XXXXXX")
trap 'rm -rf "$probe_dir"' EXIT
# An ELF32 i386 program that only calls exit(0): header, one loadable segment,
# then "mov eax,1; xor ebx,ebx; int 0x80".
printf '\177ELF\001\001\001\000\000\000\000\000\000\000\000\000\002\000\003\000\001\000\000\000\124\200\004\010\064\000\000\000\000\000\000\000\000\000\000\000\064\000\040\000\001\000\000\000\000\000\000\000\001\000\000\000\000\000\000\000\000\200\004\010\000\200\004\010\135\000\000\000\135\000\000\000\005\000\000\000\000\020\000\000\270\001\000\000\000\061\333\315\200' \
  > "$probe_dir/probe32"
chmod +x "$probe_dir/probe32"
if out=$("$probe_dir/probe32" 2>&1); then
  arch=i686 loader=/usr/lib/wine/wine
elif grep -qi 'exec format error' <<<"$out"; then
  arch=x86_64 loader=/usr/lib/wine/wine64
else
  echo "rig-arch: cannot tell whether this kernel runs 32-bit programs ($out); set HALVEX_ARCH=i686 or x86_64" >&2
  exit 1
fi
if [ "${1:-}" != --kernel ] && ! [ -x "$loader" ]; then
  echo "rig-arch: this kernel runs the $arch build, but its Wine ($loader) is not installed: run bash scripts/setup.sh first" >&2
  exit 1
fi
echo "$arch"
