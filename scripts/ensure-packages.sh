# Installs the Debian packages the build, the tests and the window need,
# when they are missing, and builds.  Sourced by ./run, ./test, ./test-i386
# and ./build-windows; safe to run again.

ORVEL_PACKAGES=(
  cmake ninja-build g++ pkg-config
  libgtest-dev nlohmann-json3-dev libcli11-dev libfmt-dev
  unixodbc unixodbc-dev odbcinst libsqliteodbc tdsodbc
  qt6-base-dev qt6-base-dev-tools libqt6test6 qt6-qpa-plugins qt6-translations-l10n
  xvfb xauth fonts-noto-core fonts-dejavu-core fonts-wine
  sqlfluff
)

orvel_missing_packages() {
  local missing=() package
  for package in "$@"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' ||
      missing+=("$package")
  done
  printf '%s\n' "${missing[@]}"
}

# orvel_ensure_packages [--no-install-recommends] PACKAGE...
orvel_ensure_packages() {
  local apt_options=() missing
  if [ "${1:-}" = --no-install-recommends ]; then
    apt_options+=("$1")
    shift
  fi
  mapfile -t missing < <(orvel_missing_packages "$@")
  [ "${#missing[@]}" -eq 0 ] || [ -z "${missing[0]}" ] && return 0
  local sudo=()
  [ "$(id -u)" -eq 0 ] || sudo=(sudo)
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  # Another apt run on the machine holds the lock for a while: wait for it.
  local lock=(-o DPkg::Lock::Timeout=600)
  "${sudo[@]}" apt-get update -qq "${lock[@]}"
  "${sudo[@]}" apt-get install -y -qq "${lock[@]}" "${apt_options[@]}" "${missing[@]}" >/dev/null
}

# orvel_build [TARGET...]: configures (once) and builds out of tree in
# build/, everything or the targets named.
orvel_build() {
  local generator=()
  command -v ninja >/dev/null && generator=(-G Ninja)
  if [ ! -f build/CMakeCache.txt ]; then
    cmake "${generator[@]}" -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  fi
  cmake --build build ${1:+--target "$@"}
}

# orvel_took PART: says how long PART took, since the previous call or the
# start of the script (the parts of CI's time).
orvel_took() {
  local seconds=$((SECONDS - ${orvel_part_started:-0}))
  echo "Time: $1 took $((seconds / 60)) min $((seconds % 60)) s"
  orvel_part_started=$SECONDS
}
