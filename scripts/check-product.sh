#!/usr/bin/env bash
# Checks the shipped exe: a 32-bit x86 GUI program that imports only system DLLs.
set -euo pipefail
exe=$1
dump=$(i686-w64-mingw32-objdump -p "$exe")
grep -q "file format pei-i386" <<<"$dump" || { echo "$exe is not a 32-bit x86 PE file"; exit 1; }
grep -q "Subsystem.*0002" <<<"$dump" || { echo "$exe is not a GUI-subsystem program"; exit 1; }
allowed='^(kernel32|user32|gdi32|ws2_32|wininet|shell32|msvcrt|advapi32|shlwapi|comctl32)\.dll$'
bad=$(grep "DLL Name:" <<<"$dump" | awk '{print tolower($3)}' | grep -Ev "$allowed" || true)
if [ -n "$bad" ]; then echo "$exe imports non-system DLLs: $bad"; exit 1; fi
echo "product ok: $(grep "DLL Name:" <<<"$dump" | awk '{print $3}' | tr '\n' ' ')"
