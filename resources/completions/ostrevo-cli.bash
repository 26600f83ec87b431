# bash completion for ostrevo-cli: sub-commands, their options, files by extension, and the
# step names of `run` (asked from the tool itself, so they follow its version).

_ostrevo_cli() {
    local cur prev words cword
    _init_completion || return

    local commands="info convert run search samples import-backup keys merge merge-copies"
    local files='@(quenlith|json|opml|md|markdown|org|txt|html|htm)'
    if [[ $cword -eq 1 ]]; then
        COMPREPLY=($(compgen -W "$commands --help --version" -- "$cur"))
        return
    fi

    local command=${words[1]}
    case $command in
        info)
            if [[ $cur == -* ]]; then
                COMPREPLY=($(compgen -W "--json --help" -- "$cur"))
            else
                _filedir "$files"
            fi
            ;;
        convert)
            if [[ $cur == -* ]]; then
                COMPREPLY=($(compgen -W "--force --no-checks --no-ids --help" -- "$cur"))
            else
                _filedir "$files"
            fi
            ;;
        run)
            if [[ $prev == --out ]]; then
                _filedir quenlith
            elif [[ $cur == -* ]]; then
                COMPREPLY=($(compgen -W "--out --force --hide-completed --no-checks --state --steps --help" -- "$cur"))
            else
                local i have_file=
                for ((i = 2; i < cword; i++)); do
                    [[ ${words[i]} != -* && ${words[i - 1]} != --out ]] && have_file=1
                done
                if [[ -n $have_file ]]; then
                    compopt -o nospace
                    COMPREPLY=($(compgen -W "$("${words[0]}" run --steps 2>/dev/null)" -- "$cur"))
                    # Words that take no argument end the completion with a blank.
                    [[ ${#COMPREPLY[@]} -eq 1 && ${COMPREPLY[0]} != *= ]] && COMPREPLY[0]+=' '
                else
                    _filedir quenlith
                fi
            fi
            ;;
        search | samples)
            if [[ $cur == -* ]]; then
                COMPREPLY=($(compgen -W "--help" -- "$cur"))
            elif [[ $cword -eq 2 || $command == search ]]; then
                [[ $cword -eq 2 ]] && _filedir -d
            fi
            ;;
        import-backup)
            if [[ $cur == -* ]]; then
                COMPREPLY=($(compgen -W "--help" -- "$cur"))
            elif [[ $cword -eq 2 ]]; then
                _filedir json
            else
                _filedir -d
            fi
            ;;
        merge)
            if [[ $prev == --out ]]; then
                _filedir '@(quenlith|json)'
            elif [[ $cur == -* ]]; then
                COMPREPLY=($(compgen -W "--out --help" -- "$cur"))
            else
                _filedir '@(quenlith|json)'
            fi
            ;;
        merge-copies)
            if [[ $cur == -* ]]; then
                COMPREPLY=($(compgen -W "--help" -- "$cur"))
            elif [[ $cword -eq 2 ]]; then
                _filedir -d
            fi
            ;;
        keys)
            case $prev in
                --return-while-typing)
                    COMPREPLY=($(compgen -W "finish finishAndAddNext" -- "$cur"))
                    return
                    ;;
                --context)
                    COMPREPLY=($(compgen -W "outline editing note" -- "$cur"))
                    return
                    ;;
                --view)
                    COMPREPLY=($(compgen -W "list tree map" -- "$cur"))
                    return
                    ;;
                --resolve)
                    return
                    ;;
            esac
            COMPREPLY=($(compgen -W "--return-while-typing --no-tab-indents --no-return-edits --resolve --context --view --empty --help" -- "$cur"))
            ;;
    esac
}
complete -F _ostrevo_cli ostrevo-cli
