#!/usr/bin/env bash
# Prints the interpreter to build for and test with: $PYTHON when set, otherwise
# the first python3 that can import pytest (Debian's own one has python3-pytest).
set -u
if [ -n "${PYTHON:-}" ]; then command -v "$PYTHON" || echo "$PYTHON"; exit 0; fi
for candidate in python3 /usr/bin/python3 /usr/local/bin/python3; do
  path=$(command -v "$candidate" 2>/dev/null) || continue
  if "$path" -c 'import pytest' >/dev/null 2>&1; then echo "$path"; exit 0; fi
done
command -v python3 || echo /usr/bin/python3
