# folder_check: stops at once, with one line that names the character and the
# folder, when the project's folder holds a character CMake cannot take in a
# source or build folder (its configure step refuses ';', '\' and '"'). Every
# other character works: blanks, quotes, $, &, (, ), #, %, !, letters beyond ASCII.
# Sourced by the demo, the test command and the release, from the project's root.
folder_check() {
  local c
  for c in ';' '\' '"'; do
    if [[ $PWD == *"$c"* ]]; then
      echo "The folder '$PWD' holds the character $c, which CMake cannot take in a source or" \
           "build folder: clone the project into a folder without ';', '\\' or '\"'." >&2
      exit 1
    fi
  done
}
