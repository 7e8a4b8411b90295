#!/bin/sh
# Installs the Debian packages the build needs, and with "test" also those of
# the sanitizer build and the fuzz targets (clang, its sanitizer and libFuzzer
# runtimes, llvm-symbolizer for readable reports), qpdf, which encrypts a PDF
# for the preview tests, and the Debian package's check (dpkg-shlibdeps, file,
# lintian, desktop-file-validate, appstreamcli). As root it runs apt-get
# itself; otherwise it names the one line to run and stops.
set -e
# cups-client: lp and lpstat, which printing hands the copies to.
PACKAGES="cmake ninja-build g++ qt6-base-dev qt6-pdf-dev qt6-translations-l10n libgl-dev fonts-dejavu-core cups-client"
[ "$1" = test ] && PACKAGES="$PACKAGES clang-14 libclang-rt-14-dev llvm-14 qpdf dpkg-dev file lintian desktop-file-utils appstream"

missing=""
for p in $PACKAGES; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
[ -z "$missing" ] && exit 0

if [ "$(id -u)" = 0 ]; then
    echo "Installiere fehlende Pakete:$missing"
    DEBIAN_FRONTEND=noninteractive apt-get update -q
    DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends $missing
else
    echo "Es fehlen Debian-Pakete. Bitte einmal ausführen:" >&2
    echo "  sudo apt-get install$missing" >&2
    exit 1
fi
