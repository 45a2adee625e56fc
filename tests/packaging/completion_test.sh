#!/usr/bin/env bash
# The bash completion against the built corvantile-cli: it offers the options each command's
# help lists (-o and --output on every command that writes, the tolerance command's series),
# and nothing a command would refuse as unknown or as not applying to it.
#
# usage: completion_test.sh COMPLETION_SCRIPT CORVANTILE_CLI TOUCHSTONE_FILE
set -uo pipefail

completion=${1:?usage: completion_test.sh COMPLETION_SCRIPT CORVANTILE_CLI TOUCHSTONE_FILE}
cli=${2:?usage: completion_test.sh COMPLETION_SCRIPT CORVANTILE_CLI TOUCHSTONE_FILE}
measured=${3:?usage: completion_test.sh COMPLETION_SCRIPT CORVANTILE_CLI TOUCHSTONE_FILE}
failed=0
fail() { echo "FAIL: $*"; failed=1; }

# The words the completion offers for the command line "$@" (the last word being completed).
complete_words() {
  bash -c "source '$completion'
    COMP_WORDS=(\"\$@\"); COMP_CWORD=\$((\${#COMP_WORDS[@]} - 1)); _corvantile_cli
    printf '%s\n' \"\${COMPREPLY[@]}\"" completion "$cli" "$@"
}

offers() {  # offers WORD COMMAND-LINE...: the completion of the command line includes WORD
  local word=$1
  shift
  local words
  words=$(complete_words "$@")
  grep -qx -- "$word" <<<"$words"
}

commands=$(complete_words "")
for command in design sweep export report touchstone standard tolerance explore parse format; do
  grep -qx "$command" <<<"$commands" || fail "the commands offered lack $command: $commands"
done

for command in design sweep export report touchstone standard tolerance explore parse format; do
  for option in --output --format --help; do
    offers "$option" "$command" -- || fail "$command -- does not offer $option"
  done
done
for option in --series-inductor --series-capacitor --standard --trials; do
  offers "$option" tolerance -- || fail "tolerance -- does not offer $option"
done
offers --compensate explore --c && fail "explore offers --compensate, which it refuses"
offers --compensate sweep --c || fail "sweep -- does not offer --compensate"

# An option whose value the help names FILE completes file names, also from nothing typed
# (where another option's value would be offered the options).
files=$(mktemp -d)
trap 'rm -rf "$files"' EXIT
touch "$files/session.CFG"
for line in "design --save" "design --session" "sweep -o" "report --output" "band --load-file" \
  "explore --source-file"; do
  # shellcheck disable=SC2086 # the command and the option are two words
  (cd "$files" && offers session.CFG $line "") || fail "$line does not complete file names"
done

# Every option offered is one the command takes: given without a value it is refused for its
# value or runs, never as unknown or as not applying.
for command in $commands; do
  [ "$command" = --help ] || [ "$command" = --version ] && continue
  first=()
  [ "$command" = touchstone ] && first=("$measured")
  for option in $(complete_words "$command" --); do
    [[ $option == --* ]] || continue
    said=$("$cli" "$command" "${first[@]}" "$option=" 2>&1 >/dev/null)
    case $said in
      *"unknown option '$option'"* | *"does not apply"*)
        fail "$command offers $option but says: $said"
        ;;
    esac
  done
done

[ "$failed" -eq 0 ] && echo "ok: the completion offers what each command takes"
exit "$failed"
