# Sourced by tools/run and tools/test: installs what building and testing Vantorel needs on
# Debian, once. A second run finds everything present and installs nothing.
VTRL_PACKAGES=(
    cmake ninja-build g++ googletest libgtest-dev
    g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
    wine wine64 xvfb x11-utils imagemagick procps passwd python3
    # The fuzz targets: clang, and the compiler runtime that holds libFuzzer (only recommended
    # by clang on Debian 12, so named here).
    clang libclang-rt-14-dev
    # The installer, real key presses under Xvfb, and signed fixtures.
    nsis xdotool osslsigncode openssl
)

vtrl_install_deps() {
    local missing=()
    local package
    for package in "${VTRL_PACKAGES[@]}"; do
        if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
            missing+=("$package")
        fi
    done
    if [ ${#missing[@]} -eq 0 ]; then
        return 0
    fi
    echo "Installing: ${missing[*]}"
    local sudo=""
    if [ "$(id -u)" -ne 0 ]; then
        sudo="sudo"
    fi
    $sudo apt-get update
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y "${VTRL_PACKAGES[@]}"
}

# Wine without prompts or debug noise, for every Wine run of the project.
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
