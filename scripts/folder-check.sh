# folder_check: stops at once, with one line that names the character and the
# folder, when the project's folder holds a character that CMake or Ninja
# cannot take in a source or build folder: CMake's configure step refuses ';',
# '\' and '"'; its custom commands (the test discovery among them) refuse '#',
# '<' and '>'; Ninja cannot read a build file with '|' in a path; and a line
# break. Every other character works: blanks, quotes, $, &, (, ), [, ], %, !,
# letters beyond ASCII (both commands were run from a folder named "brk [x]").
# Sourced by the demo, the test command and the release, from the project's
# root.
FOLDER_REFUSED=(';' '\' '"' '#' '<' '>' '|' $'\n')
folder_check() {
  local c
  for c in "${FOLDER_REFUSED[@]}"; do
    if [[ $PWD == *"$c"* ]]; then
      [ "$c" = $'\n' ] && c="a line break"
      echo "The folder '$PWD' holds $c, which CMake or Ninja cannot take in a source or build" \
           "folder: clone the project into a folder without ; \\ \" # < > | or a line break." >&2
      exit 1
    fi
  done
}
