#!/usr/bin/env bash
# check_package.sh CPACK BUILD FOLDER: the Debian package cpack makes of BUILD, in FOLDER, passes
# lintian with no error and no warning (overrides, each with its reason, are in the package).
set -uo pipefail
cpack=$1
build=$2
folder=$3
if ! command -v lintian >/dev/null; then
    echo "SKIP: lintian is missing (apt-get install lintian)"
    exit 77
fi

rm -rf "$folder"
"$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$folder" >/dev/null ||
    { echo "FAIL: cpack makes no package of $build"; exit 1; }
package=("$folder"/*.deb)
# Info tags are shown too, so a new one is seen; only errors and warnings fail.
lintian --info --display-info --fail-on error,warning "${package[@]}" 2>&1 |
    grep -v '^running with root privileges'
status=${PIPESTATUS[0]}
((status == 0)) || echo "FAIL: lintian finds errors or warnings in ${package[*]}"
exit $((status != 0))
