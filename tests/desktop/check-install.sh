#!/usr/bin/env bash
# Installs the build into a scratch prefix and checks what lands there.
set -eu
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null
fail() { echo "FAIL: $*"; exit 1; }
[ -x "$prefix/bin/kavro" ] || fail "no program in bin/"
ls "$prefix"/lib*/kavro/kavro-webengine.so >/dev/null 2>&1 || fail "no web engine module"
ls "$prefix"/lib*/kavro/kavro-media.so >/dev/null 2>&1 || fail "no media module"
entry="$prefix/share/applications/kavro.desktop"
[ -f "$entry" ] || fail "no menu entry"
desktop-file-validate "$entry" || fail "the menu entry does not validate"
grep -qx 'Name=Kavro' "$entry" || fail "the entry is not named Kavro"
grep -qx 'Categories=AudioVideo;Player;' "$entry" || fail "wrong categories"
grep -q '^GenericName\[ru\]=' "$entry" && grep -q '^Comment\[ru\]=' "$entry" || fail "no Russian name or comment"
icon="$prefix/share/icons/hicolor/48x48/apps/kavro.png"
[ -f "$icon" ] || fail "no icon in the hicolor theme"
[ "$(head -c 8 "$icon" | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ] || fail "the icon is not a PNG"
echo "1 passed, 0 failed"
