# SPDX-License-Identifier: GPL-3.0-or-later
# Shared by scripts/run, scripts/test and scripts/fuzz: installs missing
# Debian packages and builds into a folder below the repository.

REPO_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

# The Debian packages the build and the tests need.
# The crawler is Java: the JDK builds it, its runtime runs it, jsoup parses HTML, juniversalchardet
# tells the charset of a document that names none.
BUILD_PACKAGES=(cmake make g++ pkg-config libgtest-dev libespeak-ng-dev espeak-ng-data
  libsoxr-dev libmp3lame-dev libmp3lame0 qt6-base-dev fonts-dejavu-core
  default-jdk-headless libjsoup-java libjuniversalchardet-java libtag1-dev
  libcpp-httplib-dev libmicrohttpd-dev libqrencode-dev libpugixml-dev libexpat1-dev
  nlohmann-json3-dev libcld2-dev)
# What the tests need beyond the build: JUnit for the crawler's tests, feedparser to read
# the podcast feed as a feed reader does.
TEST_PACKAGES=(junit4 python3-feedparser)

as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

# ensure_packages NAME...: installs the packages that are not installed yet.
ensure_packages() {
  local missing=()
  local name
  for name in "$@"; do
    if ! dpkg-query -W -f='${Status}' "$name" 2>/dev/null | grep -q 'install ok installed'; then
      missing+=("$name")
    fi
  done
  if [ "${#missing[@]}" -gt 0 ]; then
    echo "Installing ${missing[*]}"
    as_root apt-get update
    as_root env DEBIAN_FRONTEND=noninteractive \
      apt-get install -y --no-install-recommends "${missing[@]}"
  fi
}

# build_tree FOLDER [CMAKE OPTIONS...]: configures and builds with all cores.
build_tree() {
  local folder="$1"
  shift
  cmake -S "$REPO_ROOT" -B "$REPO_ROOT/$folder" "$@"
  cmake --build "$REPO_ROOT/$folder" -j "$(nproc)"
}
