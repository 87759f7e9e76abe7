# bash completion of skimmer-index. The options are those of index/tool/command_line.h (kOptions),
# with the same values, and --kind offers the query language's kind words; tests/dist checks that
# they agree.
_skimmer_index() {
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
    --db)
        compopt -o filenames 2>/dev/null
        mapfile -t COMPREPLY < <(compgen -f -- "$cur")
        return
        ;;
    --root)
        compopt -o filenames 2>/dev/null
        mapfile -t COMPREPLY < <(compgen -d -- "$cur")
        return
        ;;
    --kind)
        mapfile -t COMPREPLY < <(compgen -W 'file mail unknown document picture music video program
            link favorite email calendar communication contact feed game instantmessage journal movie note
            playlist recordedtv searchfolder task webhistory' -- "$cur")
        return
        ;;
    --exclude | --query | --limit)
        return  # free text
        ;;
    esac
    mapfile -t COMPREPLY < <(compgen -W '--root --exclude --db --rebuild --watch --store-only --names-only
        --stats --query --kind --limit -0 --null -h --help --version' -- "$cur")
}
complete -F _skimmer_index skimmer-index
