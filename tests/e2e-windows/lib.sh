# Helpers of the end-to-end tests under Wine, beside those of tests/e2e/lib.sh.

# Prints "X Y WIDTH HEIGHT" of the client area of the shown window titled $1, as the system
# itself places it (up to $2 seconds, default 30: Wine's first start in a prefix is slow).
e2e_client_area() {
  wine "$BUILD/bin/e2e_client_area.exe" "$1" "${2:-30}" | tr -d '\r'
}

# What a program wrote to stderr, less the notes of the wine start script itself.
e2e_program_errors() {
  grep -v -e 'wine32 is missing' -e 'apt-get install wine32' "$1" || true
}
