#!/usr/bin/env bash
# Checks the #include lines of the sources against the layers: no layer includes one above it
# (text < platform < catalog < scan < widgets < windows < app), no file outside catalog/ and
# its tests includes catalog/internal/, and no product code outside catalog/ includes SQLite.
# Prints each include that breaks a rule; fails when there is any.
#   bash tests/check_layers.sh SOURCE_FOLDER
set -euo pipefail
cd "$1"

layers=(text platform catalog scan widgets windows app)
declare -A rank
for i in "${!layers[@]}"; do rank[${layers[$i]}]=$i; done

broken=0
report() {
    echo "$1: $2"
    broken=$((broken + 1))
}

while IFS= read -r found; do
    file=${found%%:*}
    rest=${found#*:}
    line=${rest%%:*}
    include=${rest#*:}
    owner=${file%%/*}
    if [[ $include =~ \#[[:space:]]*include[[:space:]]*\"([^\"]*)\" ]]; then
        target=${BASH_REMATCH[1]}
        layer=${target%%/*}
        if [[ $target == catalog/internal/* && $file != catalog/* && $file != tests/catalog/* ]]; then
            report "$file:$line" "includes $target, which only the catalog may include"
        fi
        if [[ -n ${rank[$owner]+set} && -n ${rank[$layer]+set} ]] &&
            ((rank[$layer] > rank[$owner])); then
            report "$file:$line" "the $owner layer includes $target, of the $layer layer above it"
        fi
    elif [[ $include =~ \<sqlite3\.h\> && -n ${rank[$owner]+set} && $owner != catalog ]]; then
        report "$file:$line" "includes SQLite outside the catalog"
    fi
done < <(grep -rnE --include='*.h' --include='*.cpp' '^[[:space:]]*#[[:space:]]*include' \
    "${layers[@]}" tools bench tests)

if ((broken > 0)); then
    echo "$broken include(s) break the layers"
    exit 1
fi
echo "Every include keeps to the layers."
