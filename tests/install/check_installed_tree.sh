#!/usr/bin/env bash
# check_installed_tree.sh ROOT ID VERSION: the tree installed below ROOT (prefix /usr) holds the
# executable, a desktop entry and metainfo the desktop's validators accept, and the icon at
# every size drawn, named by the program's ID; the copyright (with the metainfo's licence),
# the changelog, the manual page and lintian's overrides; and nothing else (no table files, no tests).
# The changelog's and the metainfo's newest entries are the program's VERSION.
set -uo pipefail
root=$1
id=$2
version=$3
for tool in desktop-file-validate appstreamcli; do
    if ! command -v "$tool" >/dev/null; then
        echo "SKIP: $tool is missing (apt-get install desktop-file-utils appstream)"
        exit 77
    fi
done

failed=0
fail() {
    echo "FAIL: $*"
    failed=1
}

expected=(usr/bin/zandrel usr/share/applications/$id.desktop usr/share/metainfo/$id.metainfo.xml
          usr/share/doc/zandrel/copyright usr/share/doc/zandrel/changelog.gz
          usr/share/man/man1/zandrel.1.gz usr/share/lintian/overrides/zandrel)
for size in 16 32 48 64 128 256; do
    icon=usr/share/icons/hicolor/${size}x${size}/apps/$id.png
    expected+=("$icon")
    # A PNG's width and height are the two big-endian words after its signature and IHDR tag.
    read -r width height < <(od -An -j16 -N8 -tu4 --endian=big "$root/$icon" 2>/dev/null)
    [[ "${width:-} ${height:-}" == "$size $size" ]] ||
        fail "$icon is ${width:-?}x${height:-?}, not ${size}x$size"
done
installed=$(cd "$root" && find . -type f -printf '%P\n' | sort)
wanted=$(printf '%s\n' "${expected[@]}" | sort)
[[ "$installed" == "$wanted" ]] ||
    fail "installed files differ from the program's:"$'\n'"$(diff <(echo "$wanted") <(echo "$installed"))"

[[ -x $root/usr/bin/zandrel ]] || fail "usr/bin/zandrel is not executable"
desktop=$root/usr/share/applications/$id.desktop
desktop-file-validate "$desktop" || fail "desktop-file-validate refuses $desktop"
grep -qx "Exec=zandrel" "$desktop" || fail "$desktop does not start the installed zandrel"
grep -qx "Icon=$id" "$desktop" || fail "$desktop does not name the icon $id"
metainfo=$root/usr/share/metainfo/$id.metainfo.xml
appstreamcli validate --no-net "$metainfo" || fail "appstreamcli refuses $metainfo"
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo" ||
    fail "$metainfo does not launch $id.desktop"
licence=$(sed -n 's|.*<project_license>\(.*\)</project_license>.*|\1|p' "$metainfo")
copyright=$root/usr/share/doc/zandrel/copyright
grep -A2 -x 'Files: \*' "$copyright" | grep -qx "License: $licence" ||
    fail "$copyright does not give the program the metainfo's licence ${licence:-(none)}"
newest=$(zcat "$root/usr/share/doc/zandrel/changelog.gz" | head -n1)
[[ $newest == "zandrel ($version) "* ]] ||
    fail "the changelog's newest entry is \"$newest\", not version $version"
release=$(sed -n 's/.*<release version="\([^"]*\)".*/\1/p' "$metainfo" | head -n1)
[[ $release == "$version" ]] ||
    fail "$metainfo's newest release is ${release:-(none)}, not version $version"
exit $failed
