# Prints the Windows target the test rig can run on this machine: i686 (the
# product's own, under 32-bit Wine) where the kernel runs 32-bit programs, else
# x86_64 (the same sources under 64-bit Wine). HALVEX_ARCH overrides the probe.
if [ -n "${HALVEX_ARCH:-}" ]; then
  echo "$HALVEX_ARCH"
elif /usr/lib/wine/wine --version >/dev/null 2>&1; then
  echo i686
else
  echo x86_64
fi
