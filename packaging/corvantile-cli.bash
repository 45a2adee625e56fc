# SPDX-License-Identifier: GPL-3.0-or-later
# bash completion for corvantile-cli and corvantile. The commands, each command's options, which
# of them take a FILE and the values of the options that take one of a few words are read from
# the program itself when completing (its --help, made from each command's option table, and the
# "(use a, b or c)" with which it refuses an unknown word), so the completion stays as current as
# the program.

# The words the program accepts where ARGS... is followed by an unknown one: "%" is refused with
# "... (use tee, pi, lowpass-l or highpass-l)" or "... is not none, nearest or best".
_corvantile_words() {
  "$@" % 2>&1 >/dev/null | sed -n -e 's/.*(use \(.*\))$/\1/p' -e "s/.*'%' is not \(.*\)$/\1/p" \
    -e "s/.* wants \(.*\), not '%'$/\1/p" | sed -e 's/ or /, /' -e 's/,//g' | head -n 1
}

# The options of a --help text: the option column of each line that starts with one.
_corvantile_options() {
  sed -n 's/^ \{1,\}\(-.*\)/\1/p' | sed 's/  .*//' | grep -o -- '-\{1,2\}[A-Za-z][A-Za-z0-9-]*' |
    sort -u
}

# The options of a --help text whose value is a FILE ("-o FILE, --output FILE", "--save FILE").
_corvantile_file_options() {
  sed -n 's/^ \{1,\}\(-.*\)/\1/p' | sed 's/  .*//' |
    grep -o -- '-\{1,2\}[A-Za-z][A-Za-z0-9-]* FILE' | sed 's/ FILE$//' | sort -u
}

_corvantile_cli() {
  local cur prev cmd
  cur=${COMP_WORDS[COMP_CWORD]}
  prev=${COMP_WORDS[COMP_CWORD - 1]}
  local program=${COMP_WORDS[0]}
  if [ "$COMP_CWORD" -eq 1 ]; then
    local commands
    commands=$("$program" --help 2>/dev/null |
      sed -n '/^Commands:/,/^$/s/^  \([a-z][a-z-]*\) .*/\1/p')
    mapfile -t COMPREPLY < <(compgen -W "$commands --help --version" -- "$cur")
    return
  fi
  cmd=${COMP_WORDS[1]}
  local help
  help=$("$program" "$cmd" --help 2>/dev/null)
  if [[ $prev == -* ]] && grep -qx -- "$prev" < <(_corvantile_file_options <<<"$help"); then
    mapfile -t COMPREPLY < <(compgen -f -- "$cur")
    return
  fi
  case $prev in
    --family | --format | --series-inductor | --series-capacitor | --sort | --standard | \
      --distribution)
      local words
      words=$(_corvantile_words "$program" "$cmd" "$prev")
      mapfile -t COMPREPLY < <(compgen -W "$words" -- "$cur")
      return
      ;;
  esac
  # The first word after export names its format, after format the formatter's kind.
  if [ "$COMP_CWORD" -eq 2 ] && [[ $cur != -* ]] && [[ $cmd == export || $cmd == format ]]; then
    local words
    words=$(_corvantile_words "$program" "$cmd")
    mapfile -t COMPREPLY < <(compgen -W "$words" -- "$cur")
    return
  fi
  local options
  options=$(_corvantile_options <<<"$help")
  if [[ $cur == -* ]] || [ -z "$cur" ]; then
    mapfile -t COMPREPLY < <(compgen -W "$options" -- "$cur")
  fi
  if [ ${#COMPREPLY[@]} -eq 0 ]; then
    mapfile -t COMPREPLY < <(compgen -f -- "$cur")
  fi
}
complete -F _corvantile_cli corvantile-cli

_corvantile() {
  local cur prev
  cur=${COMP_WORDS[COMP_CWORD]}
  prev=${COMP_WORDS[COMP_CWORD - 1]}
  local program=${COMP_WORDS[0]}
  case $prev in
    --session | --screenshot)
      mapfile -t COMPREPLY < <(compgen -f -- "$cur")
      return
      ;;
    --window)
      local windows
      windows=$(_corvantile_words "$program" --screenshot x.png --window)
      mapfile -t COMPREPLY < <(compgen -W "$windows" -- "$cur")
      return
      ;;
    --screen)
      local sizes="800x600 1024x768 1280x800 1366x768 1600x1000 1920x1080"
      mapfile -t COMPREPLY < <(compgen -W "$sizes" -- "$cur")
      return
      ;;
  esac
  if [[ $cur == -* ]]; then
    local options
    options=$("$program" --help 2>/dev/null | _corvantile_options)
    mapfile -t COMPREPLY < <(compgen -W "$options" -- "$cur")
    return
  fi
  mapfile -t COMPREPLY < <(compgen -f -X '!*.[cC][fF][gG]' -- "$cur"; compgen -d -- "$cur")
}
complete -F _corvantile corvantile
