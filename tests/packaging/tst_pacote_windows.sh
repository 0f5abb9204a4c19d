#!/usr/bin/env bash
# The Windows zip as a technician receives it: packed by CPack from the MinGW build
# tree, unpacked into a new folder whose path has blanks, accents and letters outside
# Windows-1252 (as user folders have), and started there under Wine, on a virtual X
# display (the zip's own platforms/qwindows.dll draws the window). The console must
# show its caption with the version of its version resource, consult the emulated
# device through sat-host.exe when its first side-bar button is pressed, end on "Sair",
# and leave Parametros.xml, ConfRede.xml and the device's state beside itself; the
# command line beside it must live a short device life with every file it reads or
# writes in that folder; a maker's 32-bit SAT.DLL put there must be consulted through
# sat-host32.exe by the console and the command line; every file in the zip must be
# one the console's processes load.
#
#   tst_pacote_windows.sh BUILD_DIR VERSION WINE [PROGRAMS_32]
# PROGRAMS_32: the 32-bit build's folder, whose satemu_stdcall.dll the zip's
# sat-host32.exe serves (when the zip has one).
# WINEPREFIX names the Wine profile to use (one no test without a display shares).
set -euo pipefail
este=$(readlink -f "$0")
source "$(dirname "$este")/vida_cli.sh"

falha() {
    echo "FAIL: $*" >&2
    exit 1
}

# Inside the virtual display: start, consult, leave. Wine's loader reports every DLL
# it loads (+loaddll) into the log.
consultas() {
    local n
    n=$(grep -c 'ConsultarSAT: 08000' "$1/satemu-state.txt" 2>/dev/null) || true
    echo "${n:-0}"
}
if [ "${1:-}" = "--na-tela" ]; then
    pasta=$2 versao=$3 wine=$4 registro=$5
    antes=$(consultas "$pasta")
    WINEDEBUG=+loaddll "$wine" "$pasta/ativacao-sat.exe" >"$registro" 2>&1 &
    console=$!
    janela=$(timeout 90 xdotool search --sync --onlyvisible --name '^SAT - BRISEL' | head -n 1) ||
        falha "no console window appeared: $(tail -n 20 "$registro")"
    titulo=$(xdotool getwindowname "$janela")
    [ "$titulo" = "SAT - BRISEL Ativação (64 bits) - Versão: $versao - SAT EMULADO (satemu)" ] || falha "caption: $titulo"

    # The side bar's first button ("SAT - BRISEL", 130 x 29 at the window's top left)
    # consults the device; the device logs every call in its state file.
    for _ in $(seq 30); do
        xdotool mousemove --window "$janela" 65 14 click 1
        sleep 1
        [ "$(consultas "$pasta")" -gt "$antes" ] && break
    done
    [ "$(consultas "$pasta")" -gt "$antes" ] || falha "the device was not consulted: $(tail -n 20 "$registro")"

    # "Sair", at the foot of the side bar, ends the console.
    xdotool mousemove --window "$janela" 65 390 click 1
    for _ in $(seq 30); do
        kill -0 "$console" 2>/dev/null || break
        sleep 1
    done
    if kill -0 "$console" 2>/dev/null; then
        kill "$console"
        falha "the console did not end on \"Sair\""
    fi
    wait "$console" || falha "the console ended with status $?"
    exit 0
fi

build=$1 versao=$2 wine=$3 programas32=${4:-}
# The zip's library is the emulated device, and says so.
emulado="Atenção: quem responde é o SAT EMULADO (satemu), não um equipamento SAT."
tmp=$(mktemp -d)
trap '"$(dirname "$wine")/wineserver" -k 2>/dev/null || true; rm -rf "$tmp"' EXIT

cpack -G ZIP --config "$build/CPackConfig.cmake" -B "$tmp/cpack" >"$tmp/cpack.log" 2>&1 ||
    falha "cpack: $(cat "$tmp/cpack.log")"
pacotes=("$tmp"/cpack/*.zip)
[ ${#pacotes[@]} -eq 1 ] && [ -f "${pacotes[0]}" ] || falha "cpack made no single .zip"
nome=$(basename "${pacotes[0]}" .zip)
[ "$nome" = "ativacao-sat-$versao-windows-x86_64" ] || falha "package name: $nome"
pasta="$tmp/Área de trabalho/Técnico SAT Łódź ação"
mkdir -p "$pasta"
(cd "$pasta" && unzip -q "${pacotes[0]}")
[ "$(ls -A "$pasta")" = "$nome" ] || falha "the zip does not hold the one folder $nome"
pasta="$pasta/$nome"

for f in ativacao-sat.exe sat-host.exe SAT_x64.DLL platforms/qwindows.dll; do
    [ -f "$pasta/$f" ] || falha "$f is missing"
done
ls "$pasta"/styles/*.dll >/dev/null 2>&1 || falha "no style plugin"
[ -z "$(ls "$pasta" | grep -E '\.xml$|^satemu-')" ] || falha "the package holds settings or device state"

# The display's Wine profile, made once.
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    (unset DISPLAY; "$wine" wineboot --init >"$tmp/wineboot.log" 2>&1) || falha "wineboot: $(cat "$tmp/wineboot.log")"
fi

# Started from its own folder, as Explorer starts a program (the parameter store is
# the working folder's Parametros.xml).
cd "$pasta"
xvfb-run -a -s "-screen 0 1024x768x24" "$este" --na-tela "$pasta" "$versao" "$wine" "$tmp/console.log"
for f in Parametros.xml ConfRede.xml satemu-state.txt; do
    [ -f "$pasta/$f" ] || falha "$f was not written beside the console"
done
# The command line beside it consults the same device, with no display (what the
# consult went through: $1), says the emulated device answered, and lives a short device life with its files in the folder.
consultar_pela_linha_de_comando() {
    local consulta
    consulta=$(DISPLAY= WINEDEBUG=-all "$wine" "$pasta/ativacao-sat-cli.exe" consultar 2>&1 | tr -d '\r') ||
        falha "ativacao-sat-cli.exe consultar ($1) failed: $consulta"
    [ "$consulta" = "SAT em operação
$emulado" ] || falha "ativacao-sat-cli.exe consultar ($1) said: $consulta"
}
consultar_pela_linha_de_comando sat-host.exe
DISPLAY= WINEDEBUG=-all vida_da_linha_de_comando "$pasta" "$(dirname "$este")/../../docs/assinatura-teste.txt" \
    "$wine" "$pasta/ativacao-sat-cli.exe"

# A maker's 32-bit DLL (the emulated device in its stdcall form) in place of the
# emulated one: the console and the command line tell it by its header, in this
# folder, and serve it through the zip's sat-host32.exe.
if [ -f "$pasta/sat-host32.exe" ]; then
    [ -f "$programas32/satemu_stdcall.dll" ] || falha "the zip has sat-host32.exe but no 32-bit DLL was given to try it"
    mv "$pasta/SAT_x64.DLL" "$tmp/"
    cp "$programas32/satemu_stdcall.dll" "$pasta/SAT.DLL"
    xvfb-run -a -s "-screen 0 1024x768x24" "$este" --na-tela "$pasta" "$versao" "$wine" "$tmp/console32.log"
    grep -a 'trace:loaddll' "$tmp/console32.log" | grep -aq 'Loaded L".*\\SAT.DLL"' ||
        falha "no process loaded SAT.DLL from the folder: $(grep -a 'trace:loaddll' "$tmp/console32.log" | tail -n 5)"
    consultar_pela_linha_de_comando sat-host32.exe
    rm "$pasta/SAT.DLL"
    mv "$tmp/SAT_x64.DLL" "$pasta/"
fi

# Nothing in the zip that the console's processes do not load: each DLL appears in the
# loader's report, loaded from the unpacked folder (the names Wine reports are
# Windows paths; a file's name is enough, for each is unique in the zip).
carregados=$(grep -a 'trace:loaddll' "$tmp/console.log" | grep -a ': native' |
    sed -E 's/.*Loaded L"([^"]*)".*/\1/' | sed -E 's/.*\\\\//' | tr 'A-Z' 'a-z' | sort -u)
while IFS= read -r arquivo; do
    base=$(basename "$arquivo" | tr 'A-Z' 'a-z')
    case "$base" in
    ativacao-sat.exe | ativacao-sat-cli.exe | sat-host32.exe) continue ;; # the programs, each run above
    sat-host.exe) grep -q 'ConsultarSAT: 08000' "$pasta/satemu-state.txt" || falha "sat-host.exe did not serve the device"; continue ;;
    esac
    grep -qxF "$base" <<<"$carregados" || falha "$arquivo is in the zip but was never loaded (loaded: $(echo $carregados))"
done < <(unzip -Z1 "${pacotes[0]}" | grep -v '/$' | sed "s|^$nome/||")
echo "PASS: $nome unpacked under \"$pasta\", started, consulted the device, ended; its files are beside it and every one was loaded"
