#!/usr/bin/env bash
# Checks the macOS build without a Mac: compiles the macOS adapters, the shell's native seam
# (Sources/Shell/macOS) and the two standard-library layers (LumivaneCore, Lumivane) for macOS 13
# on arm64 and x86_64 with clang-14 and libc++ against a macOS SDK, compiles every header of those
# folders on its own (each must include what it uses), then links the adapter aggregate, the seam
# and the layers with scripts/macos-link-main.cpp for each architecture and joins the two into one
# universal Mach-O program. When this machine has Qt 6 development headers it also compiles the
# app's entry point, Apps/LumivaneApp/main.mm, and the shell's side of its seam,
# Sources/Shell/NativeWindowMac.cpp, against them (no Qt for macOS is here, so those are compiled,
# not linked; the headers are the same for every platform but for their configuration). Nothing
# it builds is kept. To check more code, add its folder to `layers`.
#
# Uses ../shared/tools/macos-check (or $MACOS_CHECK) and the SDK at $MACOS_SDK, by default
# ${TMPDIR:-/tmp}/macsdk/MacOSX13.3.sdk, which ../shared/tools/macos-sdk assembles. When the SDK,
# the tool, clang-14, lld-14 or llvm-lipo-14 is missing it says that the check was skipped and
# exits 0.
# Exit status: 0 passed or skipped, 1 a file failed to compile or the link failed.
set -uo pipefail
cd "$(dirname "$0")/.." || exit 1

check=${MACOS_CHECK:-$(cd .. && pwd)/shared/tools/macos-check}
export MACOS_SDK=${MACOS_SDK:-${TMPDIR:-/tmp}/macsdk/MacOSX13.3.sdk}
skip() {
  echo "macOS compile check skipped: $1"
  exit 0
}
[ -x "$check" ] || skip "no checking tool at $check"
[ -f "$MACOS_SDK/SDKSettings.json" ] || skip "no macOS SDK at $MACOS_SDK (../shared/tools/macos-sdk assembles one)"
for tool in clang++-14 ld64.lld-14 llvm-lipo-14; do
  command -v "$tool" >/dev/null || skip "$tool is not installed (clang-14, lld-14, llvm-14)"
done

layers=(Sources/macOS Sources/Shell/macOS Sources/LumivaneCore Sources/Lumivane)
frameworks=(AppKit ApplicationServices CoreGraphics Foundation ServiceManagement)
mapfile -t sources < <(find "${layers[@]}" \( -name '*.mm' -o -name '*.cpp' \) | sort)
mapfile -t headers < <(find "${layers[@]}" -name '*.hpp' | sort)

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

status=0
echo "== ${#headers[@]} headers, each on its own =="
units=()
for header in "${headers[@]}"; do
  include=${header#Sources/}
  unit="$work/${include//\//_}.cpp"
  printf '#include "%s"\n' "$include" >"$unit"
  units+=("$unit")
done
"$check" -I Sources "${units[@]}" || status=1

echo "== ${#sources[@]} sources, linked with scripts/macos-link-main.cpp =="
link=()
for framework in "${frameworks[@]}"; do
  link+=(-framework "$framework")
done
program="$work/lumivane-link"
if "$check" -I Sources --link "$program" "${link[@]}" "${sources[@]}" \
  scripts/macos-link-main.cpp; then
  llvm-lipo-14 -create "$program-arm64" "$program-x86_64" -output "$program" || status=1
  archs=$(llvm-lipo-14 -archs "$program" 2>/dev/null)
  if [[ $archs == *arm64* && $archs == *x86_64* ]]; then
    echo "one universal Mach-O program: $archs"
  else
    echo "the universal program holds '$archs', not arm64 and x86_64"
    status=1
  fi
else
  status=1
fi

qt=$(pkg-config --variable=includedir Qt6Core 2>/dev/null)
if [ -n "$qt" ] && [ -d "$qt/QtWidgets" ]; then
  echo "== Apps/LumivaneApp/main.mm and the shell's macOS seam, with the Qt 6 headers in $qt =="
  "$check" -I Sources -I "$qt" -I "$qt/QtCore" -I "$qt/QtGui" -I "$qt/QtWidgets" \
    Apps/LumivaneApp/main.mm Sources/Shell/NativeWindowMac.cpp || status=1
else
  echo "== Apps/LumivaneApp/main.mm skipped: no Qt 6 headers (pkg-config Qt6Core) =="
fi

if [ $status -eq 0 ]; then
  echo "macOS check passed on arm64 and x86_64: ${#headers[@]} headers, ${#sources[@]} sources" \
    "linked into one universal program"
else
  echo "macOS check FAILED (see the messages above)"
fi
exit $status
