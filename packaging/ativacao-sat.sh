#!/bin/sh
# Starts the SAT activation console from its own folder, wherever that folder was
# unpacked. The console reads Parametros.xml from the folder it is started in and
# keeps ConfRede.xml, CFe.xml and the emulated device's state beside itself: started
# from here, all of them stay together in this folder.
#
#   ./ativacao-sat.sh          starts the console
#   ./ativacao-sat.sh --menu   adds the console to the desktop's application menu
set -eu
pasta=$(dirname "$(readlink -f "$0")")

if [ "${1:-}" = "--menu" ]; then
    destino="${XDG_DATA_HOME:-$HOME/.local/share}/applications"
    mkdir -p "$destino"
    # Desktop entry values: a backslash is written twice; inside the quoted Exec
    # argument ", `, $ and \ are escaped as well, and % is written twice.
    valor=$(printf '%s' "$pasta" | sed 's/\\/\\\\/g')
    comando=$(printf '%s' "$pasta" | sed 's/\\/\\\\\\\\/g; s/"/\\\\"/g; s/`/\\\\`/g; s/\$/\\\\$/g; s/%/%%/g')
    {
        grep -v -e '^Exec=' -e '^Icon=' -e '^#' "$pasta/ativacao-sat.desktop"
        printf 'Exec="%s/ativacao-sat.sh"\n' "$comando"
        printf 'Path=%s\n' "$valor"
        printf 'Icon=%s/ativacao-sat.png\n' "$valor"
    } >"$destino/ativacao-sat.desktop"
    echo "Menu entry written: $destino/ativacao-sat.desktop"
    exit 0
fi

cd "$pasta"
exec ./ativacao-sat "$@"
