# Shared by the installation tests: failing, skipping and a clean environment.
set -euo pipefail

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# ctest counts exit code 77 as skipped.
skip() {
  echo "SKIP: $*"
  exit 77
}

need() {
  local tool
  for tool in "$@"; do
    command -v "$tool" >/dev/null || skip "$tool is not installed (scripts/install-deps installs it)"
  done
}

# A fresh world for an installed program: its own home, registry, temporary
# and XDG folders, and no plugin folder given, so it finds its files as an
# installed program must. Removed when the script ends.
make_world() {
  WORLD=$(mktemp -d "${TMPDIR:-/tmp}/korrin-install-test-XXXXXX")
  trap 'rm -rf "$WORLD"' EXIT
  mkdir -p "$WORLD"/{home,tmp,data,config,cache,user}
  unset KORRIN_PLUGIN_DIR KORRIN_WINDOWS_DIR KORRIN_SYSTEM_DIR KORRIN_PROGRAMS_DIR
  export KORRIN_HOME="$WORLD/home" KORRIN_REGISTRY="$WORLD/config/registry.db"
  export TMPDIR="$WORLD/tmp" HOME="$WORLD/user"
  export XDG_DATA_HOME="$WORLD/data" XDG_CONFIG_HOME="$WORLD/config" XDG_CACHE_HOME="$WORLD/cache"
}

# The installed tree made by the install test: DESTDIR plus the prefix.
installed_root() {
  local root="$1/usr"
  [[ -x "$root/bin/korrin-tool" ]] || fail "nothing installed in $1 (the install test did not run)"
  echo "$root"
}
