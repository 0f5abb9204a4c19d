#!/usr/bin/env bash
# The portable folder as a technician receives it: packed by CPack from the build
# tree, unpacked in a new folder, moved elsewhere (under names with blanks, accents and
# letters outside Latin-1), and started through its launcher from another folder,
# under a virtual X display. The console must start with its caption, consult the
# emulated device when its first side-bar button is pressed, end on "Sair", and leave
# every file beside itself; the command line beside it must live a short device life
# with all its files in that folder.
#
#   tst_pacote_portatil.sh BUILD_DIR VERSION
set -euo pipefail
este=$(readlink -f "$0")
source "$(dirname "$este")/vida_cli.sh"

falha() {
    echo "FAIL: $*" >&2
    exit 1
}

# Inside the virtual display: start, consult, leave.
if [ "${1:-}" = "--na-tela" ]; then
    pasta=$2 versao=$3 registro=$4
    export QT_QPA_PLATFORM=xcb
    "$pasta/ativacao-sat.sh" >"$registro" 2>&1 &
    console=$!
    janela=$(timeout 60 xdotool search --sync --onlyvisible --name '^SAT - BRISEL' | head -n 1) ||
        falha "no console window appeared: $(cat "$registro")"
    titulo=$(xdotool getwindowname "$janela")
    [ "$titulo" = "SAT - BRISEL Ativação (64 bits) - Versão: $versao" ] || falha "caption: $titulo"

    # The side bar's first button ("SAT - BRISEL", 130 x 29 at the window's top left)
    # consults the device; the device logs every call in its state file.
    for _ in $(seq 30); do
        xdotool mousemove --window "$janela" 65 14 click 1
        sleep 1
        grep -q 'ConsultarSAT: 08000' "$pasta/satemu-state.txt" 2>/dev/null && break
    done
    grep -q 'ConsultarSAT: 08000' "$pasta/satemu-state.txt" 2>/dev/null ||
        falha "the device was not consulted: $(cat "$registro")"

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
    wait "$console" || falha "the console ended with status $?: $(cat "$registro")"
    exit 0
fi

build=$1 versao=$2
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

cpack -G TGZ --config "$build/CPackConfig.cmake" -B "$tmp/cpack" >"$tmp/cpack.log" 2>&1 ||
    falha "cpack: $(cat "$tmp/cpack.log")"
pacotes=("$tmp"/cpack/*.tar.gz)
[ ${#pacotes[@]} -eq 1 ] && [ -f "${pacotes[0]}" ] || falha "cpack made no single .tar.gz"
nome=$(basename "${pacotes[0]}" .tar.gz)
mkdir "$tmp/novo"
tar -xzf "${pacotes[0]}" -C "$tmp/novo"
[ "$(ls -A "$tmp/novo")" = "$nome" ] || falha "the archive does not hold the one folder $nome"
mkdir -p "$tmp/outro lugar/Área de Trabalho"
pasta="$tmp/outro lugar/Área de Trabalho/Console SAT Łódź ação"
mv "$tmp/novo/$nome" "$pasta"

for f in ativacao-sat ativacao-sat-cli sat-host ativacao-sat.sh; do
    [ -f "$pasta/$f" ] && [ -x "$pasta/$f" ] || falha "$f is missing or not executable"
done
for f in ativacao-sat.desktop ativacao-sat.png; do
    [ -f "$pasta/$f" ] || falha "$f is missing"
done
[ -f "$pasta/SAT_x64.DLL" ] && [ ! -L "$pasta/SAT_x64.DLL" ] || falha "SAT_x64.DLL is not a plain file"
for f in ativacao-sat ativacao-sat-cli sat-host; do
    readelf -d "$pasta/$f" | grep -Eq '\((RUNPATH|RPATH)\).*\[\$ORIGIN\]' ||
        falha "$f does not look for its libraries in its own folder: $(readelf -d "$pasta/$f" | grep PATH)"
done
for f in ativacao-sat ativacao-sat-cli sat-host SAT_x64.DLL; do
    if ldd "$pasta/$f" | grep -q 'not found'; then
        falha "$f needs libraries that are not found: $(ldd "$pasta/$f" | grep 'not found')"
    fi
done
[ -z "$(ls "$pasta" | grep -E '\.xml$|^satemu-')" ] || falha "the package holds settings or device state"

# Started from another folder, which must stay empty.
mkdir "$tmp/trabalho"
cd "$tmp/trabalho"
xvfb-run -a -s "-screen 0 1024x768x24" "$este" --na-tela "$pasta" "$versao" "$tmp/console.log"
for f in Parametros.xml ConfRede.xml satemu-state.txt; do
    [ -f "$pasta/$f" ] || falha "$f was not written beside the console"
done
[ -z "$(ls -A "$tmp/trabalho")" ] || falha "files landed in the folder the console was started from: $(ls -A)"
# The command line beside it, run from that other folder, consults the same device and
# leaves nothing behind.
consulta=$("$pasta/ativacao-sat-cli" consultar 2>&1) || falha "ativacao-sat-cli consultar failed: $consulta"
[ "$consulta" = "SAT em operação" ] || falha "ativacao-sat-cli consultar said: $consulta"
[ -z "$(ls -A "$tmp/trabalho")" ] || falha "the command line left files where it was started: $(ls -A)"
vida_da_linha_de_comando "$pasta" "$(dirname "$este")/../../docs/assinatura-teste.txt" "$pasta/ativacao-sat-cli"
[ -z "$(ls -A "$tmp/trabalho")" ] || falha "the command line left files where it was started: $(ls -A)"
echo "PASS: $nome unpacked under \"$pasta\", started, consulted the device, ended; its files are beside it;" \
    "the command line lived a device life there"
