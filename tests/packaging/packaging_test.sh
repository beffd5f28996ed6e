#!/usr/bin/env bash
# Checks the installation and the Debian package of a build:
#   packaging_test.sh install <build dir>  installs into a temporary folder, starts the
#       installed program as its desktop entry says, validates the entry and the manual page;
#   packaging_test.sh package <build dir>  makes the .deb with CPack and reads it back.
set -euo pipefail
check=$1
build=$(cd "$2" && pwd)
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
caption="Tavrel - Gerenciador de Banco de Dados"
icon_sizes=(16 22 24 32 48 64 128 256)

check_install() {
  local root=$work/usr
  cmake --install "$build" --prefix "$root" > "$work/install.log"
  local desktop=$root/share/applications/tavrel.desktop
  local manual=$root/share/man/man1/tavrel.1.gz
  [ -x "$root/bin/tavrel" ] || fail "bin/tavrel missing or not executable"
  [ -f "$desktop" ] || fail "desktop entry missing"
  [ -f "$manual" ] || fail "manual page missing"
  for size in "${icon_sizes[@]}"; do
    local icon=$root/share/icons/hicolor/${size}x${size}/apps/tavrel.png
    file "$icon" | grep -q "PNG image data, $size x $size, 8-bit/color RGBA" ||
      fail "icon ${size}x${size}: $(file "$icon")"
  done

  # The entry: valid, in both languages, and its Exec line starts the installed program
  # with a database file (%f) on the offscreen platform until the main window shows.
  local validation
  validation=$(desktop-file-validate "$desktop" 2>&1) || fail "desktop-file-validate failed"
  [ -z "$validation" ] || fail "desktop-file-validate: $validation"
  for key in 'Name' 'Name\[pt_BR\]' 'Comment' 'Comment\[pt_BR\]' 'Icon=tavrel$' \
             'Categories=Development;Database;$' 'Exec=tavrel %f$'; do
    grep -q "^$key" "$desktop" || fail "desktop entry lacks $key"
  done
  local exec_line database=$work/some\ folder/shop.fdb status=0 output
  exec_line=$(sed -n 's/^Exec=//p' "$desktop")
  read -r -a command <<< "${exec_line/\%f/}"
  output=$(cd "$work" && PATH="$root/bin:$PATH" QT_QPA_PLATFORM=offscreen TAVREL_BOXES_TO_STDERR=1 \
           TAVREL_QUIT_AFTER_MS=300 timeout 60 "${command[@]}" "$database" 2> "$work/stderr") ||
    status=$?
  [ "$status" -eq 0 ] || fail "installed program ended with $status: $(cat "$work/stderr")"
  [ "$output" = "main window: $caption" ] || fail "installed program wrote: '$output'"

  # The manual page renders without warnings and covers what it must.
  local text
  text=$(MANWIDTH=80 man --warnings -E UTF-8 -l "$manual" 2> "$work/man.err") || fail "man -l failed"
  [ ! -s "$work/man.err" ] || fail "man -l warnings: $(cat "$work/man.err")"
  for topic in 'SYNOPSIS' 'TAVREL_CLIENT_LIBRARY' 'host:path' 'Enter' 'F9' 'F10' 'F4' \
               'Ctrl+Delete' 'TAVREL_QUIT_AFTER_MS'; do
    grep -q -- "$topic" <<< "$text" || fail "manual page lacks $topic"
  done
}

check_package() {
  cpack --config "$build/CPackConfig.cmake" -B "$work" > "$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log" >&2; fail "cpack failed"; return; }
  local version deb
  version=$(sed -n 's/^project(Tavrel VERSION \([0-9.]*\) .*/\1/p' "$source_dir/CMakeLists.txt")
  deb=$work/tavrel_${version}_$(dpkg --print-architecture).deb
  [ -f "$deb" ] || { fail "no $(basename "$deb") in: $(ls "$work")"; return; }
  echo "package: $(basename "$deb"), $(stat -c %s "$deb") bytes"

  local contents
  contents=$(dpkg-deb -c "$deb")
  local expected=(./usr/bin/tavrel ./usr/share/applications/tavrel.desktop
                  ./usr/share/man/man1/tavrel.1.gz)
  for size in "${icon_sizes[@]}"; do
    expected+=("./usr/share/icons/hicolor/${size}x${size}/apps/tavrel.png")
  done
  for path in "${expected[@]}"; do
    grep -q " $path\$" <<< "$contents" || fail "package lacks $path"
  done
  grep -q '^-rwxr-xr-x root/root .* ./usr/bin/tavrel$' <<< "$contents" ||
    fail "the program is not an executable owned by root"
  local stray
  stray=$(awk '{print $6}' <<< "$contents" | grep -v '^\./usr/\(bin\|share\)\(/\|$\)' | grep -v '^\./\(usr/\)\?$' || true)
  [ -z "$stray" ] || fail "files outside /usr/bin and /usr/share: $stray"

  dpkg-deb -I "$deb" > "$work/info" || fail "dpkg-deb -I failed"
  field() { dpkg-deb -f "$deb" "$1"; }
  [ "$(field Package)" = tavrel ] || fail "Package: $(field Package)"
  [ "$(field Version)" = "$version" ] || fail "Version: $(field Version), project $version"
  [ "$(field Section)" = database ] || fail "Section: $(field Section)"
  grep -q '^ Description: .\+' "$work/info" || fail "no Description"
  grep -q '^  .*host:path' "$work/info" || fail "no long description"
  local depends
  depends=$(field Depends)
  # Bound at run time, named by hand; the linked ones found by dpkg-shlibdeps.
  for package in libfbclient2 firebird3.0-server-core libqt6widgets6 libqt6gui6 libqt6core6 \
                 libjpeg62-turbo libc6 libstdc++6; do
    sed 's/ ([^)]*)//g; s/, /\n/g' <<< "$depends" | grep -qxF "$package" ||
      fail "Depends lacks $package: $depends"
  done
}

"check_$check"
[ "$failures" -eq 0 ] || { echo "$failures failure(s)" >&2; exit 1; }
echo "packaging $check: ok"
