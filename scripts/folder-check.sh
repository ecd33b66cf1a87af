# folder_check: stops at once, with one line that names the character and the
# folder, when the project's folder holds a character on which configuring
# the build fails (each seen with CMake 3.25 and Ninja, `cmake --preset host`
# in a clone under such a folder): ';' (CMake cuts the path there: "file
# failed to open for writing"), '\' (taken for a separator: the presets are
# not found), '"' (CMake's own try-compile project: "Parse error"), '#', '<'
# and '>' (the demo packages' custom command: "OUTPUT containing a "#" is not
# allowed"), '|' (Ninja cannot build CMake's try-compile there: Threads not
# found) and a line break (Ninja: "lexing error"). Every other character
# works: blanks, quotes, $, &, (, ), [, ], %, !, letters beyond ASCII (both
# README commands were run from a folder named "brk [x]").
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
