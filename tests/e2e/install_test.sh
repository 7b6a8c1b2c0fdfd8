#!/bin/sh
# The program as installed: the files of an install, the desktop entry and
# manual page as their own tools read them, and the Debian package.
# usage: install_test.sh BUILD_DIR SOURCE_DIR
. "$(dirname "$0")/checks.sh"
build=$(realpath "$1")
src=$(realpath "$2")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1

DESTDIR=$work/stage cmake --install "$build" --prefix /usr/local >/dev/null
prefix=$work/stage/usr/local
(cd "$prefix" && find . ! -type d | sort) >files.txt
{ printf '%s\n' ./bin/radon ./lib/radon/grlib-sdl.so ./lib/radon/radon-formats.so ./share/applications/radon.desktop ./share/doc/radon/changelog.gz \
    ./share/doc/radon/copyright ./share/icons/hicolor/256x256/apps/radon.png ./share/man/man1/radon.1.gz \
    ./share/radon/lessons/ct-course.md ./share/radon/lessons/own-scan.md
  (cd "$src" && find examples ! -type d | sed 's|^|./share/radon/|'); } | sort >expected.txt
check "an install holds exactly the program, its modules (SDL2, format readers), desktop entry, changelog, copyright, icon, manual page, lessons and examples" \
    cmp -s files.txt expected.txt
# The installed lesson opens the installed examples.
# Its handout's pictures are written by the installed SDL2 module.
LD_DEBUG=files "$prefix/bin/radon" --lesson "$prefix/share/radon/lessons/own-scan.md" --handout own-scan.html \
    >/dev/null 2>loaded.txt; status=$?
check "the installed lesson on a measured scan opens the installed examples" [ $status -eq 0 ]
check "... and writes its handout's pictures with the installed SDL2 module" \
    grep -q "file=$prefix/bin/../lib/radon/grlib-sdl.so" loaded.txt

# TIFF and MATLAB data through the installed module of format readers.
for scan in lab-fan.scan lab-fan-mat.scan; do
    LD_DEBUG=files "$prefix/bin/radon" --scan "$prefix/share/radon/examples/$scan" --batch R >/dev/null 2>loaded.txt; status=$?
    check "the installed program opens $scan with its installed readers" \
        sh -c "[ $status -eq 0 ] && grep -q 'file=$prefix/bin/../lib/radon/radon-formats.so' loaded.txt"
done

version=$("$prefix/bin/radon" --version); status=$?
check "the installed radon --version prints 'radon X.Y.Z' and exits 0" \
    sh -c "[ $status -eq 0 ] && echo '$version' | grep -Eqx 'radon [0-9]+\.[0-9]+\.[0-9]+'"

# The PNG signature, then the header chunk's width and height.
check "the icon is a 256x256 PNG" \
    [ "$(od -An -tx1 -N24 "$prefix/share/icons/hicolor/256x256/apps/radon.png" | tr -d ' \n')" \
    = 89504e470d0a1a0a0000000d494844520000010000000100 ]

# Hints (such as two main categories, which the entry has on purpose) are not faults.
desktop-file-validate "$prefix/share/applications/radon.desktop" >validate.txt 2>&1; status=$?
check "desktop-file-validate accepts the desktop entry" \
    sh -c "[ $status -eq 0 ] && ! grep -E 'error:|warning:' validate.txt"

page=$prefix/share/man/man1/radon.1.gz
MANWIDTH=80 man --warnings -l "$page" >/dev/null 2>warnings.txt
check "man renders the page without warnings" [ ! -s warnings.txt ]
LC_ALL=C MANWIDTH=80 man -l "$page" >page.txt 2>/dev/null
missing=""
for option in $("$prefix/bin/radon" --help | grep -o -- '--[a-z]*' | sort -u); do
    grep -q -- "$option" page.txt || missing="$missing $option"
done
# Every label of the menus and of the lists they are built from.
sed -n -e 's/^ *{"\([^"]*\)", [0-9].*/\1/p' -e 's/^ *{\.label = "\([^"]*\)".*/\1/p' "$src"/radon/*/*.cpp >labels.txt
while IFS= read -r label; do
    grep -qF -- "$label" page.txt || missing="$missing '$label'"
done <labels.txt
check "the page names every option and menu entry${missing:+ (missing:$missing)}" \
    sh -c "[ -z \"$missing\" ] && [ \$(wc -l <labels.txt) -ge 20 ]"

cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/deb" >cpack.txt 2>&1 || cat cpack.txt
deb=$(ls "$work"/deb/*.deb 2>/dev/null)
check "cpack -G DEB makes a package whose Depends name SDL2" \
    sh -c "dpkg-deb -f '$deb' Depends | grep -q libsdl2"
check "the package's version is the program's" [ "radon $(dpkg-deb -f "$deb" Version 2>/dev/null)" = "$version" ]
# Warnings are Debian's taste; errors (E:) are faults of the package.
lintian "$deb" >lintian.txt 2>&1; status=$?
grep '^E:' lintian.txt
check "lintian finds no errors in the package" sh -c "[ $status -eq 0 ] && ! grep -q '^E:' lintian.txt"

finish install_test
