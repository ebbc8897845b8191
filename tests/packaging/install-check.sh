#!/bin/sh
# Installs the build into a scratch prefix and checks what a user gets: the programs run from
# there and find their private libraries, the desktop files and the metainfo validate, the icons
# and manual pages are in place. With "deb", builds the Debian package instead and checks its
# files and dependencies, then runs the programs from the unpacked package.
#   install-check.sh BUILD_DIR FIXTURE [deb]
set -eu
build=$1
fixture=$2
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
fail() { echo "install-check: $*" >&2; exit 1; }

if [ "${3:-}" = deb ]; then
    (cd "$build" && cpack -G DEB -B "$scratch/package" >/dev/null) || fail "cpack failed"
    deb=$(ls "$scratch"/package/*.deb)
    dpkg-deb -I "$deb" control >"$scratch/control"
    for library in libqt6widgets6 libqt6dbus6 libasound2 libsqlite3-0 libavcodec; do
        grep -q "^Depends:.*$library" "$scratch/control" || fail "no dependency on $library"
    done
    dpkg-deb -x "$deb" "$scratch/root"
    prefix=$scratch/root/usr
else
    prefix=$scratch/prefix
    cmake --install "$build" --prefix "$prefix" >/dev/null || fail "cmake --install failed"
fi

for file in bin/sonvale bin/sonvale-cli bin/mantlery bin/sonvale-setup \
    lib/sonvale/libfmodce.so lib/sonvale/libsonvale-setup.so lib/sonvale/libsonvale-avcodec.so \
    lib/sonvale/libsonvale-net.so lib/sonvale/libsonvale-tls.so lib/sonvale/libsonvale-gst.so \
    lib/sonvale/libsonvale-sndfile.so lib/sonvale/libsonvale-fftw.so \
    share/applications/sonvale.desktop share/applications/mantlery.desktop \
    share/metainfo/io.github.sonvale.sonvale.metainfo.xml \
    share/icons/hicolor/scalable/apps/sonvale.svg share/icons/hicolor/48x48/apps/sonvale.png \
    share/icons/hicolor/256x256/apps/mantlery.png share/man/man1/sonvale.1 \
    share/man/man1/sonvale-cli.1 share/man/man1/mantlery.1 share/man/man1/sonvale-setup.1; do
    [ -e "$prefix/$file" ] || fail "$file is not installed"
done
[ -d "$prefix/lib/sonvale/plugins" ] || fail "no plug-in folder"

desktop-file-validate "$prefix/share/applications/sonvale.desktop" \
    "$prefix/share/applications/mantlery.desktop" || fail "a desktop file does not validate"
appstreamcli validate --no-net --pedantic \
    "$prefix/share/metainfo/io.github.sonvale.sonvale.metainfo.xml" >"$scratch/appstream" ||
    { cat "$scratch/appstream" >&2; fail "the metainfo does not validate"; }
for page in "$prefix"/share/man/man1/*.1; do
    warnings=$(LC_ALL=C.UTF-8 MANROFFSEQ='' man --warnings -l "$page" 2>&1 >/dev/null) || true
    [ -z "$warnings" ] || fail "$page: $warnings"
done

# The installed programs, away from the build folder.
export SONVALE_HOME="$scratch/home" XDG_RUNTIME_DIR="$scratch/home" SONVALE_AUDIO=null
mkdir -m 700 "$scratch/home"
"$prefix/bin/sonvale" --version | grep -q "^sonvale [0-9]" || fail "sonvale --version"
"$prefix/bin/sonvale-cli" info "$fixture" | grep -q "MPEG-1 Layer 3" || fail "sonvale-cli info"
QT_QPA_PLATFORM=offscreen DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent LD_DEBUG=libs \
    "$prefix/bin/sonvale" --screenshot "$scratch/shot.png" "$fixture" 2>"$scratch/libs" ||
    fail "the installed player did not start"
grep -q "calling init: $prefix/bin/../lib/sonvale/libfmodce.so" "$scratch/libs" ||
    fail "the installed player did not load its run-time library from lib/sonvale"
[ -s "$scratch/shot.png" ] || fail "no screenshot"
# A compressed WAV: the decoders load libavcodec through the module in lib/sonvale.
sox -n -r 22050 -c 1 -e ima-adpcm "$scratch/adpcm.wav" synth 0.5 sine 440 2>/dev/null ||
    fail "sox could not write an ADPCM file"
"$prefix/bin/sonvale-cli" decode "$scratch/adpcm.wav" -o "$scratch/adpcm-out.wav" >/dev/null ||
    fail "the installed sonvale-cli did not decode an ADPCM WAV"
[ "$(stat -c %s "$scratch/adpcm-out.wav")" -gt 20000 ] || fail "the ADPCM WAV decoded short"
echo "install-check: ok"
