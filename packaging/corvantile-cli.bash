# bash completion for corvantile-cli. The commands and each command's options are read from the
# program's own --help when completing, so the completion stays as current as the program.
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
  case $prev in
    -o | --output | --save | --session | --load-file | --source-file)
      mapfile -t COMPREPLY < <(compgen -f -- "$cur")
      return
      ;;
  esac
  local options
  options=$("$program" "$cmd" --help 2>/dev/null | grep -o -- '--\?-[A-Za-z][A-Za-z0-9-]*' | sort -u)
  if [[ $cur == -* ]] || [ -z "$cur" ]; then
    mapfile -t COMPREPLY < <(compgen -W "$options" -- "$cur")
  fi
  if [ ${#COMPREPLY[@]} -eq 0 ]; then
    mapfile -t COMPREPLY < <(compgen -f -- "$cur")
  fi
}
complete -F _corvantile_cli corvantile-cli
