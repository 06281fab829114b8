#!/usr/bin/env bash
# Installs the build into a temporary prefix and builds the Debian package, then checks that
# both hold the same files, that those files validate, and that the programs run from there.
#   tests/install_test.sh BUILD_DIR
set -euo pipefail
build=$(realpath "$1")
app_id=org.veltrano.Veltrano
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null

expected=(
  bin/veltrano bin/veltrano-convert
  share/applications/$app_id.desktop share/metainfo/$app_id.metainfo.xml
  share/icons/hicolor/16x16/apps/$app_id.png share/icons/hicolor/32x32/apps/$app_id.png
  share/icons/hicolor/48x48/apps/$app_id.png share/icons/hicolor/scalable/apps/$app_id.svg
  share/man/man1/veltrano-convert.1 share/doc/veltrano/copyright
)
for file in "${expected[@]}"; do
  [ -f "$prefix/$file" ] || fail "missing after install: $file"
done

# Runs from the prefix alone: no path into the build folder.
"$prefix/bin/veltrano-convert" --version | grep -q '^veltrano-convert [0-9]' ||
  fail "installed veltrano-convert does not run"
if readelf -d "$prefix/bin/veltrano" "$prefix/bin/veltrano-convert" | grep -q "$build"; then
  fail "an installed program still points into the build folder"
fi

desktop-file-validate "$prefix/share/applications/$app_id.desktop"
appstreamcli validate --no-net "$prefix/share/metainfo/$app_id.metainfo.xml" >/dev/null ||
  fail "the AppStream metadata does not validate"

# The manual page documents every option --help lists.
for option in $("$prefix/bin/veltrano-convert" --help | grep -o -- '--[a-z]*' | sort -u); do
  grep -q -- "\\\\-\\\\-${option#--}" "$prefix/share/man/man1/veltrano-convert.1" ||
    fail "the manual page does not mention $option"
done

(cd "$work" && cpack --config "$build/CPackConfig.cmake" -B "$work/deb" >/dev/null)
deb=$(ls "$work"/deb/veltrano_*.deb)
dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $NF}' | sed 's|^\./usr/||' | sort >"$work/deb-files"
printf '%s\n' "${expected[@]}" | sort >"$work/expected-files"
diff -u "$work/expected-files" "$work/deb-files" || fail "the package's files differ from the install"
depends=$(dpkg-deb -f "$deb" Depends)
for library in libcurl4 libqt6webenginewidgets6 libqt6widgets6 libc6; do
  grep -q "$library" <<<"$depends" || fail "Depends lacks $library: $depends"
done
echo "install and package: ok ($(basename "$deb"); Depends: $depends)"
