#!/usr/bin/env bash
# The bash completion of tavrin-cli against the program it completes.
# Usage: bash_completion.sh COMPLETION-SCRIPT TAVRIN-CLI SITE-LIST
set -u
source "$1"
program=$2 list=$3 failed=0

offers() { # the word that must be offered, then the words typed (the last one is being completed)
    local want=$1
    shift
    COMP_WORDS=("$@")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMPREPLY=()
    _tavrin_cli
    if ! printf '%s\n' "${COMPREPLY[@]}" | grep -qxF -- "$want"; then
        echo "'$*' does not offer '$want': ${COMPREPLY[*]}"
        failed=1
    fi
}

offers plan "$program" ""
offers --max-pdop "$program" windows --max
offers 'Sydney\ Observatory' "$program" plan --site Syd  # the bundled list, names quoted
offers Boulder "$program" windows --sites "$list" --site B
offers 15 "$program" plan --step ""
offers gps,glonass "$program" plan --systems gps,gl
offers geojson "$program" sites export --format ""
offers export "$program" sites ex
offers fetch "$program" almanac f
offers --obstruction "$program" sites add camp.spl --obs
if [ -r /usr/share/zoneinfo/tzdata.zi ]; then
    offers Europe/Vienna "$program" plan --tz Europe/Vi
fi
complete -p tavrin-cli >/dev/null || failed=1
exit $failed
