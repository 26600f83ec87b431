#!/usr/bin/env bash
# Checks of what `make install` and `make package` deliver, run by ctest:
#   install_test.sh files      BUILD   the installed file set, the icons and the MIME mapping
#   install_test.sh validators BUILD   desktop-file-validate and appstreamcli on the installed files
#   install_test.sh manual     BUILD   every command and option in the manual page and completions
#   install_test.sh package    BUILD   the Debian package unpacked into a scratch root
set -euo pipefail

mode=$1
build=$(cd "$2" && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# Installs the build into $scratch/root as a package would, under /usr.
stage() {
    DESTDIR="$scratch/root" cmake --install "$build" --prefix /usr >/dev/null
    echo "$scratch/root"
}

# The files the desktop, the shell and man look for, relative to the root.
expected_files() {
    echo usr/bin/ostrevo
    echo usr/bin/ostrevo-cli
    echo usr/share/applications/ostrevo.desktop
    echo usr/share/metainfo/app.ostrevo.Ostrevo.metainfo.xml
    echo usr/share/mime/packages/ostrevo.xml
    echo usr/share/icons/hicolor/scalable/apps/ostrevo.svg
    for size in 16 22 24 32 48 64 128 256 512; do
        echo "usr/share/icons/hicolor/${size}x${size}/apps/ostrevo.png"
    done
    echo usr/share/man/man1/ostrevo.1.gz
    echo usr/share/man/man1/ostrevo-cli.1.gz
    echo usr/share/bash-completion/completions/ostrevo-cli
    echo usr/share/zsh/vendor-completions/_ostrevo-cli
    echo usr/share/fish/vendor_completions.d/ostrevo-cli.fish
    echo usr/share/doc/ostrevo/copyright
    echo usr/share/doc/ostrevo/changelog.gz
}

check_file_set() {
    local root=$1
    local actual expected
    actual=$(cd "$root" && find . -type f | sed 's|^\./||' | sort)
    expected=$(expected_files | sort)
    [ "$actual" = "$expected" ] || fail "installed files differ:
$(diff <(echo "$expected") <(echo "$actual") || true)"
}

# The width and height in a PNG's header.
png_size() {
    od -An -tu1 -j16 -N8 "$1" | awk '{ printf "%d %d", $3 * 256 + $4, $7 * 256 + $8 }'
}

case $mode in
files)
    root=$(stage)
    check_file_set "$root"
    for size in 16 22 24 32 48 64 128 256 512; do
        png="$root/usr/share/icons/hicolor/${size}x${size}/apps/ostrevo.png"
        [ "$(head -c 8 "$png" | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ] || fail "$png is no PNG"
        [ "$(png_size "$png")" = "$size $size" ] || fail "$png is $(png_size "$png"), not $size px"
    done
    # The icon is drawn, not blank: the large rendering compresses to more than a flat tile.
    [ "$(stat -c %s "$root/usr/share/icons/hicolor/256x256/apps/ostrevo.png")" -gt 2000 ] ||
        fail "the 256 px icon is nearly empty"
    XDG_DATA_DIRS="$root/usr/share" update-mime-database "$root/usr/share/mime"
    grep -q '^50:application/x-ostrevo-document:\*\.quenlith$' "$root/usr/share/mime/globs2" ||
        fail ".quenlith is not mapped to the document type"
    grep -q ':text/x-opml+xml:\*\.opml$' "$root/usr/share/mime/globs2" ||
        fail ".opml is not mapped to OPML"
    grep -q ':text/org:\*\.org$' "$root/usr/share/mime/globs2" ||
        fail ".org is not mapped to Org"
    types=$(sed -n 's/^MimeType=//p' "$root/usr/share/applications/ostrevo.desktop")
    for type in application/x-ostrevo-document text/x-opml+xml text/markdown text/org; do
        [[ ";$types" == *";$type;"* ]] || fail "the desktop entry does not open $type"
    done
    ;;
validators)
    root=$(stage)
    desktop-file-validate "$root/usr/share/applications/ostrevo.desktop"
    appstreamcli validate --no-net "$root/usr/share/metainfo/app.ostrevo.Ostrevo.metainfo.xml"
    ;;
manual)
    root=$(stage)
    cli="$root/usr/bin/ostrevo-cli"
    page=$(zcat "$root/usr/share/man/man1/ostrevo-cli.1.gz" | sed 's/\\-/-/g')
    app_page=$(zcat "$root/usr/share/man/man1/ostrevo.1.gz" | sed 's/\\-/-/g')
    completions=("$root/usr/share/bash-completion/completions/ostrevo-cli"
                 "$root/usr/share/zsh/vendor-completions/_ostrevo-cli"
                 "$root/usr/share/fish/vendor_completions.d/ostrevo-cli.fish")
    export ASAN_OPTIONS=detect_leaks=0
    commands=$("$cli" --help | sed -n '/^Commands:/,/^$/p' | awk 'NR > 1 && NF { print $1 }')
    [ -n "$commands" ] || fail "no commands in ostrevo-cli --help"
    words=$(
        echo "$commands"
        "$cli" --help | grep -o -- '--[a-z][a-z-]*' || true
        for command in $commands; do
            "$cli" "$command" --help | grep -o -- '--[a-z][a-z-]*' || true
        done
    )
    for word in $(echo "$words" | sort -u); do
        grep -q -- "$word" <<<"$page" || fail "the manual page lacks $word"
        for file in "${completions[@]}"; do
            # fish names long options without their dashes: "-l json".
            pattern=$word
            [[ $file == *.fish && $word == --* ]] && pattern="-l ${word#--}"
            grep -qw -- "$pattern" "$file" || fail "$(basename "$file") lacks $word"
        done
    done
    grep -q -- '--version' <<<"$app_page" || fail "ostrevo(1) lacks --version"
    # The completions ask the tool for the step names of run.
    steps=$("$cli" run --steps)
    for step in add-below draft= undo; do
        grep -qx -- "$step" <<<"$steps" || fail "run --steps lacks $step"
    done
    ;;
package)
    (cd "$scratch" && cpack -G DEB --config "$build/CPackConfig.cmake" \
        -D CPACK_DEBIAN_COMPRESSION_TYPE=gzip -D CPACK_PACKAGE_DIRECTORY="$scratch/out" >/dev/null)
    deb=$(find "$scratch/out" -maxdepth 1 -name 'ostrevo_*.deb' | head -n 1)
    [ -n "$deb" ] || fail "cpack made no package"
    dpkg-deb -x "$deb" "$scratch/unpacked"
    check_file_set "$scratch/unpacked"
    depends=$(dpkg-deb -f "$deb" Depends)
    for needed in libqt6widgets6 libqt6svg6 qt6-qpa-plugins libutf8proc libexpat1 libhunspell; do
        [[ "$depends" == *"$needed"* ]] || fail "the package does not depend on $needed: $depends"
    done
    [ "$(dpkg-deb -f "$deb" Package)" = ostrevo ] || fail "the package is not named ostrevo"
    # Debian's own files: the copyright in the machine-readable format, naming the licence
    # the project declares, and the changelog of this version, compressed with gzip -9n.
    doc="$scratch/unpacked/usr/share/doc/ostrevo"
    head -n 1 "$doc/copyright" |
        grep -qx 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' ||
        fail "the copyright file is not in the machine-readable format"
    licence=$(sed -n 's|.*<project_license>\(.*\)</project_license>.*|\1|p' \
        "$scratch/unpacked/usr/share/metainfo/app.ostrevo.Ostrevo.metainfo.xml")
    grep -qx "License: $licence" "$doc/copyright" || fail "the copyright file does not name $licence"
    # A gzip header without a name or time (bytes 3 to 7 zero) and with the best compression.
    [ "$(od -An -tx1 -j3 -N6 "$doc/changelog.gz" | tr -d ' \n')" = 000000000002 ] ||
        fail "the changelog is not compressed with gzip -9n"
    version=$(dpkg-deb -f "$deb" Version)
    zcat "$doc/changelog.gz" | head -n 1 | grep -q "^ostrevo ($version) " ||
        fail "the changelog does not begin with version $version"
    long=$(dpkg-deb -f "$deb" Description | awk 'length($0) > 80')
    [ -z "$long" ] || fail "description lines longer than 80 columns: $long"
    if command -v lintian >/dev/null; then
        errors=$(lintian --no-tag-display-limit "$deb" 2>&1 | grep '^E: ' || true)
        [ -z "$errors" ] || fail "lintian: $errors"
    else
        echo "lintian is not installed: the package was not checked with it"
    fi
    ;;
*)
    fail "unknown mode $mode"
    ;;
esac
