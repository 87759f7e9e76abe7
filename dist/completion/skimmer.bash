# bash completion of skimmer. The options are those of host/app/options.h (kOptions), with the same
# values; tests/dist checks that the two agree.
_skimmer() {
    local cur=${COMP_WORDS[COMP_CWORD]} prev=
    ((COMP_CWORD > 0)) && prev=${COMP_WORDS[COMP_CWORD - 1]}
    # bash splits --db=FILE at the '=' (COMP_WORDBREAKS): complete the value as after --db.
    if [[ $cur == = ]]; then
        cur=
    elif [[ $prev == = ]] && ((COMP_CWORD > 1)); then
        prev=${COMP_WORDS[COMP_CWORD - 2]}
    fi
    COMPREPLY=()
    case $prev in
    --plugin)
        compopt -o filenames 2>/dev/null
        mapfile -t COMPREPLY < <(compgen -f -- "$cur")
        return
        ;;
    esac
    # Any other word is the text for the command line: nothing to offer.
    [[ $cur == -* ]] || return
    mapfile -t COMPREPLY < <(compgen -W '--manager --panel --plugin -h --help --version' -- "$cur")
}
complete -F _skimmer skimmer
