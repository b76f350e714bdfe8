#!/usr/bin/env bash
# Builds the Debian package from the build tree and checks it as a desktop would take it: its
# control fields and file list, the desktop entry, the AppStream metadata, the document type,
# the icons and the manual page; then unpacks it into a scratch root and runs the program from
# there.
#   check-package.sh BUILD_DIR SOURCE_DIR
set -uo pipefail

build=$(cd "$1" && pwd)
source=$(cd "$2" && pwd)
scratch="$build/package-check"
app_id=local.veltrane.Veltrane
mime_type=application/x-veltrane-document
failures=0

fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}
pass() {
    echo "ok: $*"
}
# check DESCRIPTION COMMAND...: the command must succeed; its output is shown when it does not.
check() {
    local what=$1 output
    shift
    if output=$("$@" 2>&1); then
        pass "$what"
    else
        fail "$what"
        echo "$output"
    fi
}

rm -rf "$scratch"
mkdir -p "$scratch/out" "$scratch/root" "$scratch/home"
export HOME="$scratch/home"

if ! cpack -G DEB --config "$build/CPackConfig.cmake" -B "$scratch/out" >"$scratch/cpack.log" 2>&1; then
    cat "$scratch/cpack.log"
    echo "FAIL: cpack could not build the package"
    exit 1
fi
debs=("$scratch"/out/veltrane_*.deb)
[[ -f ${debs[0]} ]] || { echo "FAIL: cpack made no veltrane_*.deb"; exit 1; }
deb=${debs[0]}
pass "package $(basename "$deb")"

# ---- Control fields ----
info=$(dpkg-deb -I "$deb")
field() { dpkg-deb -f "$deb" "$1"; }
[[ $(field Package) == veltrane ]] || fail "Package is '$(field Package)'"
[[ $(field Architecture) == "$(dpkg --print-architecture)" ]] || fail "Architecture is '$(field Architecture)'"
[[ $(field Maintainer) == *@* ]] || fail "Maintainer '$(field Maintainer)' has no address"
[[ -n $(field Description) && $(field Description | wc -l) -ge 2 ]] ||
    fail "Description needs a summary and a long description"
depends=$(field Depends)
depend_names=$(tr ',|' '\n\n' <<<"$depends" | sed 's/(.*//; s/ //g')
for package in libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6 libqt6printsupport6 \
               qt6-translations-l10n; do
    grep -qxF "$package" <<<"$depend_names" || fail "Depends lacks $package: $depends"
done
# Triggers of desktop-file-utils, shared-mime-info, hicolor-icon-theme and man-db refresh the
# caches; the package needs no maintainer scripts.
for script in preinst postinst prerm postrm; do
    [[ $info == *" $script "* ]] && fail "the package has a $script script"
done
pass "control fields (Depends: $depends)"

# ---- File list ----
contents=$(dpkg-deb -c "$deb" | awk '{ print $6 }')
expected=(
    ./usr/bin/veltrane
    ./usr/share/applications/$app_id.desktop
    ./usr/share/metainfo/$app_id.metainfo.xml
    ./usr/share/mime/packages/veltrane.xml
    ./usr/share/man/man1/veltrane.1.gz
    ./usr/share/doc/veltrane/README.md
    ./usr/share/icons/hicolor/scalable/apps/veltrane.svg
    ./usr/share/icons/hicolor/scalable/mimetypes/${mime_type/\//-}.svg
)
sizes=(16 24 32 48 64 128 256)
for size in "${sizes[@]}"; do
    expected+=("./usr/share/icons/hicolor/${size}x${size}/apps/veltrane.png"
               "./usr/share/icons/hicolor/${size}x${size}/mimetypes/${mime_type/\//-}.png")
done
for path in "${expected[@]}"; do
    grep -qxF "$path" <<<"$contents" || fail "the package lacks $path"
done
outside=$(grep -v -e '^\./$' -e '^\./usr/' <<<"$contents")
[[ -z $outside ]] || fail "files outside /usr: $outside"
pass "file list (${#expected[@]} files looked for)"

# ---- Unpacked into a scratch root ----
check "dpkg -x" dpkg -x "$deb" "$scratch/root"
root="$scratch/root"
share="$root/usr/share"

check "desktop-file-validate" desktop-file-validate "$share/applications/$app_id.desktop"
exec_line=$(sed -n 's/^Exec=//p' "$share/applications/$app_id.desktop")
[[ $exec_line == *%f* || $exec_line == *%F* ]] || fail "Exec '$exec_line' takes no document"
[[ -x $root/usr/bin/${exec_line%% *} ]] || fail "Exec names ${exec_line%% *}, not in /usr/bin"
grep -qx "MimeType=.*$mime_type;.*" "$share/applications/$app_id.desktop" ||
    fail "the desktop entry does not open $mime_type"

check "appstreamcli validate" appstreamcli validate --no-net "$share/metainfo/$app_id.metainfo.xml"
grep -q "<launchable type=\"desktop-id\">$app_id.desktop</launchable>" "$share/metainfo/$app_id.metainfo.xml" ||
    fail "the metainfo does not launch $app_id.desktop"

for size in "${sizes[@]}"; do
    for png in "$share/icons/hicolor/${size}x${size}"/*/*.png; do
        measured=$(identify -format '%wx%h' "$png" 2>&1)
        [[ $measured == "${size}x${size}" ]] || fail "$png is $measured"
    done
done
check "scalable icon is XML" xmllint --noout "$share/icons/hicolor/scalable/apps/veltrane.svg"
pass "icons at ${sizes[*]}"

# The document type, in a MIME database of its own: the magic alone recognises a document
# under another name, its name alone a file that is not one yet, and one byte less of the
# magic is no document.
check "the MIME entry is XML" xmllint --noout "$share/mime/packages/veltrane.xml"
mime="$scratch/mime"
mkdir -p "$mime/mime/packages"
cp "$share/mime/packages/veltrane.xml" "$mime/mime/packages/"
check "update-mime-database" env XDG_DATA_DIRS="$mime" update-mime-database "$mime/mime"
content_type() {
    XDG_DATA_HOME="$mime" XDG_DATA_DIRS="$mime:/usr/share" gio info -a standard::content-type "$1" |
        sed -n 's/^ *standard::content-type: //p'
}
document="$source/tests/data/documents/load-small.zs"
cp "$document" "$scratch/certificates.bin"
printf 'not yet a document' >"$scratch/empty.zs"
head -c 27 "$document" >"$scratch/almost.bin"
[[ $(content_type "$scratch/certificates.bin") == "$mime_type" ]] || fail "the magic is not recognised"
[[ $(content_type "$scratch/empty.zs") == "$mime_type" ]] || fail "*.zs is not recognised"
[[ $(content_type "$scratch/almost.bin") != "$mime_type" ]] || fail "27 bytes of the magic pass"
pass "document type by magic and by name"

# The manual page: renders without a warning, and whatis reads its name line.
manual="$share/man/man1/veltrane.1.gz"
warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$manual" 2>&1 >/dev/null)
[[ -z $warnings ]] || fail "man page warnings: $warnings"
page=$(LC_ALL=C.UTF-8 MANWIDTH=80 man -l "$manual" 2>/dev/null)
for text in SYNOPSIS OPTIONS "veltrane --pdf" "veltrane --print" "--background" "back.jpg"; do
    [[ $page == *"$text"* ]] || fail "the man page lacks '$text'"
done
[[ $(lexgrog "$manual") == *'"veltrane - '* ]] || fail "whatis cannot read the name: $(lexgrog "$manual")"
pass "man page"

# ---- The unpacked program ----
program="$root/usr/bin/veltrane"
help=$(LC_ALL=C.UTF-8 "$program" --help 2>&1)
status=$?
[[ $status == 0 && $help == *"用法"* && $help == *"--pdf"* ]] ||
    fail "veltrane --help from the scratch root: status $status: $help"
pass "veltrane --help from the scratch root"

# Its resources are inside the program: with no back.jpg anywhere the PDF shows the built-in
# blank certificate. A back.jpg in the program's folder then takes its place.
corner() {
    rm -f "$scratch/page-1.ppm"
    pdftoppm -r 10 -f 1 -l 1 "$1" "$scratch/page" &&
        convert "$scratch/page-1.ppm" -format '%[fx:int(255*p{3,3}.r)] %[fx:int(255*p{3,3}.g)] %[fx:int(255*p{3,3}.b)]' info:
}
folder="$scratch/documents"
mkdir -p "$folder"
cp "$document" "$folder/class.zs"
run_pdf() {
    env -u DISPLAY -u WAYLAND_DISPLAY "$program" --pdf "$folder/class.pdf" --background "$folder/class.zs" >/dev/null 2>&1
}
if run_pdf; then
    read -r red green blue <<<"$(corner "$folder/class.pdf")"
    (( red > 200 && green > 200 && blue < 235 && blue + 10 < red )) ||
        fail "no built-in background in the PDF: corner $red $green $blue"
else
    fail "veltrane --pdf from the scratch root"
fi
convert -size 120x84 xc:'#10C020' "$root/usr/bin/back.jpg"
if run_pdf; then
    read -r red green blue <<<"$(corner "$folder/class.pdf")"
    (( green > 150 && red < 80 && blue < 80 )) ||
        fail "back.jpg beside the program is not the background: corner $red $green $blue"
else
    fail "veltrane --pdf with back.jpg beside the program"
fi
pass "background from inside the program, then from the program's folder"

if (( failures > 0 )); then
    echo "$failures check(s) of the package failed"
    exit 1
fi
echo "the package passed every check"
