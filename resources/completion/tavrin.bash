# bash completion for tavrin, the desktop program                      -*- shell-script -*-
_tavrin() {
    local cur=${COMP_WORDS[COMP_CWORD]}
    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "--no-splash --help --version" -- "$cur"))
    else
        compopt -o filenames 2>/dev/null
        COMPREPLY=($(compgen -f -X '!*.[sS][pP][lL]' -- "$cur") $(compgen -d -- "$cur"))
    fi
}
complete -F _tavrin tavrin
