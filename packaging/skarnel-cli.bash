# bash completion for skarnel-cli. The options come from `skarnel-cli --help`
# itself, so the two cannot disagree.
_skarnel_cli_options() {
    "$1" --help 2>/dev/null | grep -oE -- '(^|[ ,])--[a-z][a-z-]*' | tr -d ' ,'
}

_skarnel_cli() {
    local cur prev words cword
    _init_completion || return
    case $prev in
        --format)
            COMPREPLY=($(compgen -W 'tsv csv json junit github markdown sarif' -- "$cur"))
            return
            ;;
        --save)
            _filedir
            return
            ;;
        --root)
            _filedir -d
            return
            ;;
        # A number, a pattern, a text or a header: nothing to offer.
        --connections | --retries | --exclude | --no-follow | --user-agent | --header | --accept)
            return
            ;;
    esac
    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W '$(_skarnel_cli_options "$1")' -- "$cur"))
        return
    fi
    _filedir
} && complete -F _skarnel_cli skarnel-cli
