#!/usr/bin/env bash
# check_completion.sh COMPLETION BIN_FOLDER: bash completes skarnel-cli's
# options from its --help, the values of --format, nothing after an option
# that takes a number or a text, and paths.
set -euo pipefail
completion="$1"
export PATH="$2:$PATH"
source /usr/share/bash-completion/bash_completion
source "$completion"

# The words bash would offer for a command line typed up to its end.
offers() {
    local line="$1"
    COMP_LINE="$line"
    COMP_POINT=${#line}
    read -ra COMP_WORDS <<<"$line"
    [[ "$line" == *" " ]] && COMP_WORDS+=("")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMPREPLY=()
    _skarnel_cli skarnel-cli "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
    echo "${COMPREPLY[*]}"
}

expect() {
    local got
    got="$(offers "$1")"
    if [[ "$got" != "$2" ]]; then
        echo "for '$1' bash offered '$got', not '$2'" >&2
        exit 1
    fi
}

every_option="$(skarnel-cli --help | grep -oE -- '--[a-z][a-z-]*' | tr '\n' ' ')"
expect "skarnel-cli --" "${every_option% }"
expect "skarnel-cli --no-i" "--no-images"
expect "skarnel-cli --format " "tsv csv json junit github markdown sarif"
expect "skarnel-cli --format j" "json junit"
expect "skarnel-cli --no-follow-r" "--no-follow-redirects"
expect "skarnel-cli --retries " ""
folder="$(mktemp -d)"
trap 'rm -rf "$folder"' EXIT
touch "$folder/index.html"
expect "skarnel-cli --all-tags $folder/ind" "$folder/index.html"
echo "bash completes skarnel-cli"
