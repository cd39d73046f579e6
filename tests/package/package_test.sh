#!/usr/bin/env bash
# The Debian package: built by CPack from the build tree, it holds exactly the installed files,
# declares its dependencies, and works unpacked into a scratch root.
#   package_test.sh BUILD_DIR VERSION WITH_LAUNCHER(0|1)
set -euo pipefail
build=$1 version=$2 launcher=$3
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

(cd "$build" && cpack -G DEB -B "$scratch/out" >"$scratch/cpack.log" 2>&1) ||
  { cat "$scratch/cpack.log" >&2; fail "cpack"; }
arch=$(dpkg --print-architecture)
deb=$scratch/out/calyxa_${version}_${arch}.deb
[ -f "$deb" ] || fail "no $deb: $(ls "$scratch/out")"

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = calyxa ] || fail "Package: $(field Package)"
[ "$(field Version)" = "$version" ] || fail "Version: $(field Version)"
[ "$(field Architecture)" = "$arch" ] || fail "Architecture: $(field Architecture)"
[ "$(field Recommends)" = fonts-noto-cjk ] || fail "Recommends: $(field Recommends)"
depends=$(field Depends)
# Computed from the programs' shared libraries, with versions.
for library in libc6 libstdc++6 libplist3 libicu72 libevdev2; do
  [[ ", $depends" == *", $library (>= "* ]] || fail "Depends lacks $library: $depends"
done
if [ "$launcher" = 1 ]; then
  grep -q 'libqt6widgets6' <<<"$depends" || fail "Depends lacks Qt: $depends"
fi

expected=(./usr/bin/calyxa-ctl ./usr/share/man/man1/calyxa-ctl.1)
if [ "$launcher" = 1 ]; then
  expected+=(./usr/bin/Calyxa ./usr/share/man/man1/Calyxa.1
    ./usr/share/applications/com.vantorel.tilewell.desktop
    ./usr/share/icons/hicolor/scalable/apps/com.vantorel.tilewell.svg)
fi
files=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $6}' | sort)
[ "$files" = "$(printf '%s\n' "${expected[@]}" | sort)" ] || fail "files:
$files"

root=$scratch/root
dpkg -x "$deb" "$root"
[ "$("$root/usr/bin/calyxa-ctl" help)" = "$("$build/calyxa-ctl" help)" ] ||
  fail "the unpacked calyxa-ctl help differs"

# The login item the installed program makes starts the installed launcher.
mkdir -p "$scratch/home"
HOME=$scratch/home XDG_CONFIG_HOME=$scratch/config "$root/usr/bin/calyxa-ctl" login-item on \
  >/dev/null 2>&1 || fail "login-item on"
grep -qxF "Exec=\"$root/usr/bin/Calyxa\" --launched-at-login" \
  "$scratch/config/autostart/com.vantorel.tilewell.desktop" ||
  fail "autostart entry: $(cat "$scratch/config/autostart/com.vantorel.tilewell.desktop")"

if [ "$launcher" = 1 ]; then
  entry=$root/usr/share/applications/com.vantorel.tilewell.desktop
  for line in 'Exec=Calyxa' 'Name=Calyxa' 'Name[zh_CN]=Calyxa 启动台' 'Icon=com.vantorel.tilewell'; do
    grep -qxF "$line" "$entry" || fail "desktop entry lacks $line"
  done
fi
echo "package ok: ${#expected[@]} files"
