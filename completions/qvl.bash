# bash completion for qvl: its commands, the options of each, catalogue files
# (*.qvl in any letter case) and, for list, the drive letters that `qvl drives`
# prints. Written for the bash-completion package, which loads it on first use.

# The options of each command, and the options that take a value.
_qvl_options() {
    case $1 in
        drives) echo "--map" ;;
        list) echo "-o --output --method --no-sizes --hash --no-index --comment --margin --map --label --if-exists" ;;
        merge) echo "--comment" ;;
        ls) echo "--sort --dates" ;;
        find | search) echo "--dates --newer --older --min-size --max-size --ext --no-index" ;;
        index) echo "--status" ;;
        tree) echo "--method --margin" ;;
        dupes) echo "--min-size" ;;
        unique) echo "--against --min-size" ;;
        du) echo "--depth" ;;
        export) echo "--format" ;;
    esac
}
_qvl_valued='@(-o|--output|--method|--comment|--margin|--map|--label|--if-exists|--sort|--min-size|--max-size|--newer|--older|--ext|--against|--depth|--format)'

# Catalogues, and folders to find them in.
_qvl_catalogues() {
    local IFS=$'\n'
    compopt -o filenames 2>/dev/null
    COMPREPLY=($(compgen -d -- "$cur") $(compgen -f -X '!*.[qQ][vV][lL]' -- "$cur"))
}

_qvl() {
    local cur prev words cword split
    _init_completion -s -n : || return

    local command="" argument=0 i
    for ((i = 1; i < cword; i++)); do
        if [[ -z $command ]]; then
            [[ ${words[i]} == -* ]] && continue
            command=${words[i]}
        elif [[ ${words[i]} == $_qvl_valued ]]; then
            ((i++))
        elif [[ ${words[i]} != -* ]]; then
            ((argument++))
        fi
    done

    if [[ -z $command ]]; then
        if [[ $cur == -* ]]; then
            COMPREPLY=($(compgen -W "--help -h --version" -- "$cur"))
        else
            COMPREPLY=($(compgen -W "drives list merge info ls find search index tree diff dupes unique du export" -- "$cur"))
        fi
        return
    fi

    case $prev in
        -o | --output)
            _filedir
            return
            ;;
        --method)
            local methods="collapsed folders filenames"
            [[ $command == list ]] && methods="qvl $methods"
            COMPREPLY=($(compgen -W "$methods" -- "$cur"))
            return
            ;;
        --if-exists)
            COMPREPLY=($(compgen -W "fail overwrite append" -- "$cur"))
            return
            ;;
        --sort)
            COMPREPLY=($(compgen -W "name size path archive bytes" -- "$cur"))
            return
            ;;
        --map)
            # L=DIR: the folder after the letter.
            if [[ $cur == *=* ]]; then
                cur=${cur#*=}
                _filedir -d
            fi
            return
            ;;
        --format)
            COMPREPLY=($(compgen -W "jsonl csv ncdu" -- "$cur"))
            return
            ;;
        --against)
            _qvl_catalogues
            return
            ;;
        --comment | --margin | --label | --min-size | --depth)
            return
            ;;
    esac
    $split && return

    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "$(_qvl_options "$command")" -- "$cur"))
        return
    fi

    # The arguments that name catalogues; the others are texts and folder paths.
    case $command:$argument in
        list:0)
            COMPREPLY=($(compgen -W "$(qvl drives 2>/dev/null | cut -f1)" -- "$cur"))
            __ltrim_colon_completions "$cur"
            ;;
        info:0 | ls:0 | tree:0 | find:0 | merge:[01] | search:[1-9]* | index:* | diff:[01] | dupes:* | unique:0 | du:0 | export:0)
            _qvl_catalogues
            ;;
    esac
} &&
    complete -F _qvl qvl
