#!/bin/sh
# Builds the Debian package from a finished build folder (default: build) and
# checks it as an administrator meets it: unpacked into a temporary root, its
# layout, the menu entry, the metainfo, lintian, and the unpacked program
# started offscreen on its library and ended the way a host ends it.
set -e
cd "$(dirname "$0")/.."
build=$(cd "${1:-build}" && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/vorlagen-paket.XXXXXX")
pid=
cleanup() {
    [ -z "$pid" ] || kill "$pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "Paketprüfung: $*" >&2
    exit 1
}

rm -f "$build"/package/veltrano-vorlagen_*.deb
(cd "$build" && cpack -G DEB) >"$work/cpack.log" 2>&1 || { cat "$work/cpack.log" >&2; fail "cpack ist gescheitert."; }
set -- "$build"/package/veltrano-vorlagen_*.deb
[ $# -eq 1 ] && [ -f "$1" ] || fail "kein Paket in $build/package."
deb=$1
echo "Paket: $deb"

root=$work/root
dpkg-deb -x "$deb" "$root"
dpkg-deb -e "$deb" "$work/control"
prog=$root/opt/veltrano/ordinalis
share=$root/usr/share

for f in vorlagen vorlagen-host APPRELAY.EXE vorlagen-einrichten; do
    [ -x "$prog/$f" ] || fail "$f fehlt oder ist nicht ausführbar."
done
for f in libvorlagen-pdf.so KORVENTIS.MAP Ordinalis.conf Standard/VORLAGEN.DAT Standard/DOCFORM0.DLL Standard/DOCFORM4.DLL \
         Standard/Vorlagen/User.dat Standard/Vorlagen-Bibliothek.zip; do
    [ -f "$prog/$f" ] || fail "$f fehlt."
done
# The library itself is the office's: in the package, an upgrade would
# overwrite it.
for f in Vorlagen VORLAGEN.DAT DOCFORM0.DLL; do
    [ ! -e "$prog/$f" ] || fail "$f gehört nicht ins Paket, nur nach Standard/."
done
for size in 16 22 24 32 48 64 128 256; do
    [ -f "$share/icons/hicolor/${size}x$size/apps/de.veltrano.vorlagen.png" ] || fail "Symbol ${size}x$size fehlt."
done
for f in icons/hicolor/scalable/apps/de.veltrano.vorlagen.svg metainfo/de.veltrano.vorlagen.metainfo.xml \
         doc/veltrano-vorlagen/copyright doc/veltrano-vorlagen/changelog.gz; do
    [ -f "$share/$f" ] || fail "/usr/share/$f fehlt."
done

desktop=$share/applications/de.veltrano.vorlagen.desktop
grep -qx 'Exec=/opt/veltrano/ordinalis/vorlagen' "$desktop" || fail "Exec im Menüeintrag zeigt nicht auf das Programm."
grep -qx 'Icon=de.veltrano.vorlagen' "$desktop" || fail "Icon im Menüeintrag ist nicht das Symbol des Pakets."
grep -qx 'Download=file:///opt/veltrano/ordinalis/Standard/Vorlagen-Bibliothek.zip' "$prog/Ordinalis.conf" \
    || fail "Ordinalis.conf zeigt nicht auf das Archiv der Standardbibliothek."
grep -q '^Depends:.*libqt6widgets6' "$work/control/control" || fail "Depends ohne die Qt-Bibliotheken."
# Only the PDF module links Qt PDF; the package needs it all the same.
grep -q '^Depends:.*libqt6pdf6' "$work/control/control" || fail "Depends ohne Qt PDF, das das PDF-Modul braucht."
[ -x "$work/control/postinst" ] && [ -x "$work/control/postrm" ] || fail "postinst oder postrm fehlt."

desktop-file-validate "$desktop"
appstreamcli validate --no-net "$share/metainfo/de.veltrano.vorlagen.metainfo.xml"
# Every warning is either gone or explained in packaging/lintian-overrides.
lintian --fail-on error,warning "$deb"

# The unpacked program on the standard library, as the postinst sets it up.
sh "$prog/vorlagen-einrichten" "$prog"
mkdir -p "$work/home/.config" "$work/home/.local/share" "$work/run"
chmod 700 "$work/run"
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_DATA_HOME="$work/home/.local/share" \
       XDG_RUNTIME_DIR="$work/run" QT_QPA_PLATFORM=offscreen
"$prog/vorlagen" &
pid=$!
# Any text but the end marker changes nothing; delivered, it shows the program is ready.
tries=0
until "$prog/vorlagen-host" 'Bereit?' 2>/dev/null; do
    tries=$((tries + 1))
    [ $tries -lt 100 ] && kill -0 "$pid" 2>/dev/null || fail "das ausgepackte Programm meldet sich nicht."
    sleep 0.2
done
"$prog/vorlagen-host" '$Ende$' || fail "vorlagen-host konnte das Ende nicht senden."
status=0
wait "$pid" || status=$?
pid=
[ $status -eq 0 ] || fail "das Programm endete mit $status statt 0."
echo "Paketprüfung bestanden."
