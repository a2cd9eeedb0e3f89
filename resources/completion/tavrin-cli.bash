# bash completion for tavrin-cli                                        -*- shell-script -*-

# The words of each command: add a command or an option to its list here.
_tavrin_cli_commands="plan windows sites horizon map almanac help"
_tavrin_cli_site_options="--sites --site --at --gmt-offset --tz --positions --all-sites --codepage"
_tavrin_cli_plan_options="$_tavrin_cli_site_options --almanac --date --allow-old --from --to --step --mode
    --cutoff --systems --orbits --exclude --no-obstructions --days --dem --antenna-height --antenna-altitude --max-distance --refraction
    --table --format --width --lines -o --output --force --graphs --pdf --help"
_tavrin_cli_windows_options="$_tavrin_cli_site_options --almanac --date --allow-old --from --to --step --mode
    --cutoff --systems --orbits --exclude --no-obstructions --days --dem --antenna-height --antenna-altitude --max-distance --refraction
    --max-pdop --min-sats --min-length --min-common --sort --format -o --output --force --help"
_tavrin_cli_horizon_options="--dem --at --sites --site --step --max-distance --antenna-height
    --antenna-altitude --refraction --format -o --output --force --codepage --help"
_tavrin_cli_map_options="--bbox --spacing --cells --tile --show --base --join --almanac --date --allow-old
    --from --to --step --mode --cutoff --systems --orbits --exclude --no-obstructions --gmt-offset --tz --dem
    --antenna-height --max-distance --refraction --exact-horizons --max-pdop --min-sats --min-common
    --min-length -o --output --codepage --force --help"
_tavrin_cli_sites_commands="new add remove import export"
_tavrin_cli_sites_options="--format --codepage -o --output --force --help"
_tavrin_cli_sites_new_options="--name --at --gmt-offset --description --obstruction --codepage --force --help"
_tavrin_cli_sites_add_options="--name --at --gmt-offset --description --obstruction --codepage --force --convert
    --help"
_tavrin_cli_sites_remove_options="--codepage --force --convert --help"
_tavrin_cli_sites_import_options="--from --replace --convert --codepage --force --help"
_tavrin_cli_sites_export_options="--format --codepage -o --output --force --help"
_tavrin_cli_almanac_commands="import fetch"
_tavrin_cli_almanac_import_options="--dir --near --force --help"
_tavrin_cli_almanac_fetch_options="--date --systems --dir --sources --timeout --help"
_tavrin_cli_program_options="--help --version"

# Options followed by a value, and the values that can be listed.
_tavrin_cli_with_value="--sites --site --at --gmt-offset --tz --positions --codepage --almanac --date --from
    --to --step --mode --cutoff --systems --orbits --exclude --days --dem --antenna-height --max-distance
    --table --format --width --lines -o --output --graphs --pdf --max-pdop --min-sats --min-length
    --min-common --sort --refraction --name --description --obstruction --dir --near --sources --timeout
    --bbox --spacing --cells --tile --show --base --join"
_tavrin_cli_values_step="1 2 5 10 15 30 60"
_tavrin_cli_values_mode="2d 3d"
_tavrin_cli_values_table="dop visibility both"
_tavrin_cli_values_format="text csv json"
_tavrin_cli_values_sites_export_format="json csv geojson"
_tavrin_cli_values_sort="length pdop time"
_tavrin_cli_values_codepage="1252 1250 1251 932 65001"
_tavrin_cli_values_date="almanac"
_tavrin_cli_values_systems="gps glonass galileo beidou qzss navic"

# The bundled site list, found as the program finds it: $TAVRIN_DATA_DIR, beside the program in a
# build tree, else the installed share directory.
_tavrin_cli_default_sites() {
    if [ -n "${TAVRIN_DATA_DIR-}" ]; then
        printf '%s\n' "$TAVRIN_DATA_DIR/sites/sample.spl"
        return
    fi
    local exe dir
    exe=$(command -v -- "$1" 2>/dev/null) || return
    exe=$(readlink -f -- "$exe") || return
    dir=${exe%/*}
    if [ -d "$dir/almanacs" ]; then
        printf '%s\n' "$dir/sites/sample.spl"
    else
        printf '%s\n' "${dir%/*}/share/tavrin/sites/sample.spl"
    fi
}

# The site names of a list, one a line, from the program's own JSON listing.
_tavrin_cli_site_names() { # program, list
    "$1" sites "$2" --format json 2>/dev/null |
        sed -n 's/^ *{"position": [0-9]*, "name": "\(\([^"\\]\|\\.\)*\)".*/\1/p' |
        sed 's/\\"/"/g; s/\\\\/\\/g'
}

# The time zone names of the system's time-zone data.
_tavrin_cli_zones() {
    local zi=/usr/share/zoneinfo/tzdata.zi
    if [ -r "$zi" ]; then
        awk '$1 == "Z" { print $2 } $1 == "L" { print $3 }' "$zi"
    elif [ -r /usr/share/zoneinfo/zone1970.tab ]; then
        awk '!/^#/ { print $3 }' /usr/share/zoneinfo/zone1970.tab
    fi
}

_tavrin_cli() {
    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]}
    local program=${COMP_WORDS[0]} command="" sub="" sites="" i w var
    for ((i = 1; i < COMP_CWORD; i++)); do
        w=${COMP_WORDS[i]}
        if [[ $w == -* || " $_tavrin_cli_with_value " == *" ${COMP_WORDS[i-1]} "* ]]; then
            [ "${COMP_WORDS[i-1]}" = --sites ] && sites=$w
        elif [ -z "$command" ]; then
            command=$w
        elif [ -z "$sub" ] && [ "$i" -eq 2 ]; then
            sub=$w
        fi
    done
    # "sites FILE" and "almanac FILE" name a file, not a subcommand.
    var=_tavrin_cli_${command}_commands
    [[ -n $sub && " ${!var-} " == *" $sub "* ]] || sub=""

    # bash splits "gps=almanac" at the "=".
    if [ "$prev" = = ] && [ "${COMP_WORDS[COMP_CWORD-3]-}" = --orbits ]; then
        COMPREPLY=($(compgen -W "almanac navigation nearest" -- "$cur"))
        return
    fi
    local values=""
    case $prev in
    --site)
        local list=${sites:-$(_tavrin_cli_default_sites "$program")} name typed=${cur//\\/}
        typed=${typed#[\"\']}
        local IFS=$'\n'
        COMPREPLY=()
        for name in $(_tavrin_cli_site_names "$program" "${list/#\~/$HOME}"); do
            [[ $name == "$typed"* ]] && COMPREPLY+=("$(printf '%q' "$name")")
        done
        return
        ;;
    --tz)
        local IFS=$'\n'
        COMPREPLY=($(compgen -W "$(_tavrin_cli_zones)" -- "$cur"))
        return
        ;;
    --from)
        # A site list's source for sites import; a time of day elsewhere.
        [ "$command" = sites ] || return
        compopt -o filenames 2>/dev/null
        COMPREPLY=($(compgen -f -- "$cur"))
        return
        ;;
    --sites | --positions | --dem | --almanac | -o | --output | --pdf | --sources)
        compopt -o filenames 2>/dev/null
        COMPREPLY=($(compgen -f -- "$cur"))
        return
        ;;
    --graphs | --dir)
        compopt -o filenames 2>/dev/null
        COMPREPLY=($(compgen -d -- "$cur"))
        return
        ;;
    --systems)
        # A comma-separated list: complete its last element.
        local head=""
        [[ $cur == *,* ]] && head=${cur%,*},
        COMPREPLY=($(compgen -P "$head" -W "$_tavrin_cli_values_systems" -- "${cur##*,}"))
        compopt -o nospace 2>/dev/null
        return
        ;;
    --orbits)
        COMPREPLY=($(compgen -W "gps= glonass=" -- "$cur"))
        compopt -o nospace 2>/dev/null
        return
        ;;
    --format)
        values=$_tavrin_cli_values_format
        [ "$command/$sub" = sites/export ] && values=$_tavrin_cli_values_sites_export_format
        ;;
    --step | --mode | --table | --sort | --codepage | --date)
        [[ $prev == --step && $command == horizon ]] && return
        var=_tavrin_cli_values_${prev#--}
        values=${!var}
        ;;
    *)
        [[ " $_tavrin_cli_with_value " == *" $prev "* ]] && return
        ;;
    esac
    if [ -n "$values" ]; then
        COMPREPLY=($(compgen -W "$values" -- "$cur"))
        return
    fi

    local words="" files=""
    case $command in
    "") words="$_tavrin_cli_commands $_tavrin_cli_program_options" ;;
    help) [ "$COMP_CWORD" -eq 2 ] && words=$_tavrin_cli_commands ;;
    plan | windows | horizon | map)
        var=_tavrin_cli_${command}_options
        words=${!var}
        ;;
    sites | almanac)
        if [ -n "$sub" ]; then
            var=_tavrin_cli_${command}_${sub}_options
        elif [ "$COMP_CWORD" -eq 2 ]; then
            var=_tavrin_cli_${command}_commands
        else
            var=_tavrin_cli_${command}_options
        fi
        words=${!var-}
        files=1
        ;;
    esac
    COMPREPLY=($(compgen -W "$words" -- "$cur"))
    # The site list or almanac file these commands take.
    if [ -n "$files" ] && [[ $cur != -* ]]; then
        compopt -o filenames 2>/dev/null
        COMPREPLY+=($(compgen -f -- "$cur"))
    fi
}
complete -F _tavrin_cli tavrin-cli
