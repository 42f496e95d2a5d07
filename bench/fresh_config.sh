# Sourced by the comparison scripts: fresh_config DIR PROJECT makes DIR an
# empty configuration folder (no run finds another one running) whose
# settings, as a user's who turned them off, show no tip of the day at
# start (its box would take the pointer's clicks), with PROJECT as the
# project folder.
fresh_config() {
  rm -rf "$1" && mkdir -p "$1/tessaron"
  printf '[TESSARON]\nTIPS_SHOW=False\nDIR_PROJECT=%s\n' "$2" >"$1/tessaron/Quib.ini"
}
