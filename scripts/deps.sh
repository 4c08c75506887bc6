# Sourced by ./run and ./test: installs the Debian packages the build and the tests need when any is missing.

HOLVEX_PACKAGES=(
    cmake ninja-build g++
    qt6-base-dev qt6-serialport-dev     # Qt 6.4: Core, Widgets, Network, PrintSupport, Test, SerialPort
    libjpeg62-turbo-dev                 # the about box's picture
    libssl-dev                          # libcrypto: AES-128 decryption of radio meters' telegrams
    libgtest-dev libgmock-dev           # unit, integration and widget tests
    libbenchmark-dev                    # benchmarks in bench/
    clang libclang-rt-14-dev lld        # the sanitizer and fuzzer builds, their runtime and a fast linker
    socat xvfb xauth                    # pseudo-terminals and a display for tests
    poppler-utils                       # pdfinfo / pdftotext to check printed logs
    fonts-dejavu-core                   # readable text on the offscreen and Xvfb platforms
)

holvex_missing_packages() {
    local missing=() pkg
    for pkg in "${HOLVEX_PACKAGES[@]}"; do
        [[ "$pkg" == \#* ]] && continue
        if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
            missing+=("$pkg")
        fi
    done
    echo "${missing[@]}"
}

holvex_ensure_packages() {
    local missing
    missing=$(holvex_missing_packages)
    [ -z "$missing" ] && return 0
    echo "Installing missing Debian packages: $missing"
    if [ "$(id -u)" -eq 0 ]; then
        apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends $missing
    elif command -v sudo >/dev/null 2>&1; then
        echo "Not running as root: using sudo for apt-get (you may be asked for your password)."
        sudo apt-get update -qq && sudo DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends $missing
    else
        echo "error: these packages are missing and neither root nor sudo is available: $missing" >&2
        return 1
    fi
}

holvex_prepare_runtime_dir() {
    if [ -z "${XDG_RUNTIME_DIR:-}" ] || [ ! -d "${XDG_RUNTIME_DIR}" ]; then
        export XDG_RUNTIME_DIR="${TMPDIR:-/tmp}/holvex-runtime-$(id -u)"
        mkdir -p "$XDG_RUNTIME_DIR"
        chmod 0700 "$XDG_RUNTIME_DIR"
    fi
}
