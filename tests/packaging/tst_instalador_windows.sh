#!/usr/bin/env bash
# The Windows installer as a technician and a fleet's deployment tool meet it: built by
# cpack (NSIS) from the MinGW tree, then run under Wine in a fresh profile made here
# (the user's own folders inside it), on a virtual X display where a window is needed.
#   1. silent, into the default folder (%LOCALAPPDATA%\Programs\ativacao-sat): every
#      file of the package, the emulated device as SAT_x64.DLL, the Start-menu and
#      desktop shortcuts (target and working folder, read by the system's shell link
#      object), the list entry under HKCU; the command line says satemu answers;
#   2. silent, into a folder whose path has blanks and accents (/D=): the same, and the
#      console started from its shortcut's folder consults the emulated device, its
#      caption saying so; while it runs, an install there fails with status 2, a line
#      in the log, and not a byte changed;
#   3. upgrade over a maker's SAT.DLL (a recording library of these tests) and a
#      Parametros.xml of other values: both byte for byte, the emulated device taken
#      away (it would shadow SAT.DLL), one list entry, the console consulting SAT.DLL;
#   4. the fleet option /BIBLIOTECA=: the maker's library copied under its name, no
#      emulated device; a name the console does not load is refused before anything;
#   5. silent uninstalls: programs, shortcuts and entry gone; the maker's library, the
#      settings and the device's state left, and said so.
#
#   tst_instalador_windows.sh BUILD_DIR VERSION WINE LER_ATALHO_EXE SAT_GRAVADOR_DLL [PICTURES_DIR]
# PICTURES_DIR: also runs the installer with its pages (welcome, folder, end) and
# photographs them and the installed console there (scripts/screenshots-windows.sh).
set -Eeuo pipefail
# Any other command that fails ends the test, and says where.
trap 'echo "FAIL: status $? at line $LINENO: $BASH_COMMAND" >&2' ERR
build=$1 versao=$2 wine=$3 ler_atalho=$4 gravador=$5 fotos=${6:-}
wineserver="$(dirname "$wine")/wineserver"

tmp=$(mktemp -d)
falha() {
    echo "FAIL: $*" >&2
    if [ -s "$tmp/wine.log" ]; then
        echo "Wine's last words:" >&2
        tail -n 15 "$tmp/wine.log" >&2
    fi
    exit 1
}

xvfb=""
encerrar() {
    "$wineserver" -k 2>/dev/null || true
    [ -z "$xvfb" ] || kill "$xvfb" 2>/dev/null || true
    [ -n "${MANTER_TMP:-}" ] || rm -rf "$tmp"
}
trap encerrar EXIT

# ---- the installer ----
saida="$build/instalador"
rm -rf "$saida"
cpack -G NSIS --config "$build/CPackConfig.cmake" -B "$saida" >"$tmp/cpack.log" 2>&1 ||
    falha "cpack -G NSIS: $(tail -n 30 "$tmp/cpack.log")"
instalador="$saida/ativacao-sat-$versao-windows-x86_64-setup.exe"
[ -f "$instalador" ] || falha "no $(basename "$instalador") in $saida: $(ls "$saida")"
# What the install rules staged: the installer must install exactly that.
estagio="$saida/_CPack_Packages/win64/NSIS/ativacao-sat-$versao-windows-x86_64-setup"
[ -f "$estagio/ativacao-sat.exe" ] || falha "no staged package in $estagio"

# A display of its own (Xvfb picks a free one) for every Wine program of the profile:
# a desktop Wine starts without one would hide the windows of the programs after it.
exec 3>"$tmp/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp >"$tmp/xvfb.log" 2>&1 &
xvfb=$!
exec 3>&-
for _ in $(seq 50); do
    [ -s "$tmp/display" ] && break
    sleep 0.2
done
[ -s "$tmp/display" ] || falha "Xvfb did not start: $(cat "$tmp/xvfb.log")"
tela=":$(head -n 1 "$tmp/display")"
export DISPLAY=$tela

# ---- a fresh profile; the user's desktop and menus inside it, none of the host's ----
export HOME="$tmp/casa" LC_ALL=C.UTF-8 WINEPREFIX="$tmp/wine"
mkdir -p "$HOME"
"$wine" wineboot --init >"$tmp/wineboot.log" 2>&1 || falha "wineboot: $(tail -n 20 "$tmp/wineboot.log")"
"$wineserver" -w
usuario=$(whoami)
perfil_w="C:\\users\\$usuario"
perfil_u="$WINEPREFIX/drive_c/users/$usuario"
log_u="$tmp/instalador.log"
log_w=$("$wine" winepath -w "$log_u" 2>/dev/null)
chave='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\ativacao-sat'
menu_u="$perfil_u/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Ativação SAT.lnk"
desktop_u="$perfil_u/Desktop/Ativação SAT.lnk"

# instalar ARGS...: runs the installer silently; its exit status. NSIS takes /D= last
# and unquoted, blanks and all, as a deployment tool writes it; Wine would quote an
# argument with blanks, so the command line is cmd's, written out whole.
instalar() {
    local status=0
    (cd "$(dirname "$instalador")" &&
        "$wine" cmd /c "$(basename "$instalador") /S /LOG=$log_w $*") >>"$tmp/wine.log" 2>&1 || status=$?
    return "$status"
}
ultimas_do_log() { iconv -f WINDOWS-1252 -t UTF-8 "$log_u" | tail -n "${1:-5}"; }
# impressao PASTA: every file under PASTA with its checksum.
impressao() { (cd "$1" && find . -type f -print0 | sort -z | xargs -0 sha256sum); }
# atalho LNK: "alvo=..." and "pasta=..." lines.
atalho() {
    "$wine" "$ler_atalho" "$("$wine" winepath -w "$1" 2>/dev/null)" 2>>"$tmp/wine.log" | tr -d '\r'
}
# entrada NAME: the value NAME of the list entry ("" when there is none).
entrada() {
    rm -f "$tmp/entrada.reg"
    "$wine" reg export "$chave" "$("$wine" winepath -w "$tmp/entrada.reg" 2>/dev/null)" /y >>"$tmp/wine.log" 2>&1 ||
        return 0
    iconv -f UTF-16LE -t UTF-8 "$tmp/entrada.reg" | tr -d '\r' | sed -n "s/^\"$1\"=//p" | sed -e 's/^"//' -e 's/"$//' \
        -e 's/\\\\/\\/g'
}
cli() { (cd "$1" && "$wine" "$1/ativacao-sat-cli.exe" consultar 2>&1 | tr -d '\r'); }

# verificar_instalacao UNIX_FOLDER WINDOWS_FOLDER: the files, the shortcuts, the entry.
verificar_instalacao() {
    local u=$1 w=$2 f
    while IFS= read -r f; do
        [ "$f" = "SAT_x64.DLL" ] && continue
        cmp -s "$estagio/$f" "$u/$f" || falha "$f was not installed as packaged in $u"
    done < <(cd "$estagio" && find . -type f | sed 's|^\./||')
    for f in desinstalar.exe; do
        [ -f "$u/$f" ] || falha "no $f in $u"
    done
    for lnk in "$menu_u" "$desktop_u"; do
        [ -f "$lnk" ] || falha "no shortcut $lnk"
        local lido
        lido=$(atalho "$lnk") || falha "the system could not read $lnk"
        grep -qxF "alvo=$w\\ativacao-sat.exe" <<<"$lido" || falha "$(basename "$lnk"): $lido"
        grep -qxF "pasta=$w" <<<"$lido" || falha "$(basename "$lnk"): working folder: $lido"
    done
    [ "$(entrada DisplayName)" = "Ativação SAT" ] || falha "entry DisplayName: $(entrada DisplayName)"
    [ "$(entrada DisplayVersion)" = "$versao" ] || falha "entry DisplayVersion: $(entrada DisplayVersion)"
    [ -n "$(entrada Publisher)" ] || falha "entry has no Publisher"
    [ "$(entrada DisplayIcon)" = "$w\\ativacao-sat.exe,0" ] || falha "entry DisplayIcon: $(entrada DisplayIcon)"
    [ "$(entrada InstallLocation)" = "$w" ] || falha "entry InstallLocation: $(entrada InstallLocation)"
    [ "$(entrada UninstallString)" = "\\\"$w\\desinstalar.exe\\\"" ] ||
        falha "entry UninstallString: $(entrada UninstallString)"
    [[ "$(entrada EstimatedSize)" =~ ^dword:0000[0-9a-f]{4}$ ]] || falha "entry EstimatedSize: $(entrada EstimatedSize)"
}

# ---- 1. silent, default folder ----
padrao_w="$perfil_w\\AppData\\Local\\Programs\\ativacao-sat"
padrao_u="$perfil_u/AppData/Local/Programs/ativacao-sat"
instalar || falha "silent install into the default folder: status $?: $(ultimas_do_log)"
verificar_instalacao "$padrao_u" "$padrao_w"
cmp -s "$estagio/SAT_x64.DLL" "$padrao_u/SAT_x64.DLL" || falha "the emulated device is not SAT_x64.DLL"
consulta=$(cli "$padrao_u") || falha "ativacao-sat-cli consultar: $consulta"
[ "$consulta" = "SAT em operação
Atenção: quem responde é o SAT EMULADO (satemu), não um equipamento SAT." ] || falha "consultar said: $consulta"

# ---- 2. silent, a folder with blanks and accents; the console from its shortcut ----
acentos_w="$perfil_w\\Área de trabalho\\Console SAT ação"
acentos_u="$perfil_u/Área de trabalho/Console SAT ação"
instalar "/D=$acentos_w" || falha "silent install into $acentos_w: status $?: $(ultimas_do_log)"
verificar_instalacao "$acentos_u" "$acentos_w"
cmp -s "$estagio/SAT_x64.DLL" "$acentos_u/SAT_x64.DLL" || falha "the emulated device is not SAT_x64.DLL there"


# abrir_console UNIX_FOLDER: the console started as its shortcut starts it (its target,
# in its working folder); sets $console and $janela.
abrir_console() {
    (trap - ERR; cd "$1" && "$wine" "$1/ativacao-sat.exe" >"$tmp/console.log" 2>&1) &
    console=$!
    janela=$(timeout 120 xdotool search --sync --onlyvisible --name '^SAT - BRISEL' | head -n 1) ||
        falha "no console window appeared: $(tail -n 20 "$tmp/console.log")"
}
# consultar_na_janela FILE TEXT: presses the side bar's first button until FILE holds TEXT.
consultar_na_janela() {
    for _ in $(seq 30); do
        xdotool mousemove --window "$janela" 65 14 click 1
        sleep 1
        grep -q "$2" "$1" 2>/dev/null && return 0
    done
    falha "the console did not consult: $(tail -n 20 "$tmp/console.log")"
}
# fechar_console: "Sair", at the foot of the side bar, pressed again every few seconds
# while the console is still there (a busy machine may lose a click).
fechar_console() {
    for i in $(seq 60); do
        kill -0 "$console" 2>/dev/null || break
        if [ $((i % 5)) -eq 1 ]; then
            xdotool mousemove --window "$janela" 65 390 click 1 2>/dev/null || true # gone meanwhile
        fi
        sleep 1
    done
    kill -0 "$console" 2>/dev/null &&
        falha "the console did not end on \"Sair\" (windows: $(xdotool search --onlyvisible --name . getwindowname %@ 2>&1 | tr '\n' ';'))"
    wait "$console" || falha "the console ended with status $?"
}

lido=$(atalho "$menu_u")
pasta_do_atalho=$("$wine" winepath -u "$(sed -n 's/^pasta=//p' <<<"$lido")" 2>/dev/null)
[ "$pasta_do_atalho" -ef "$acentos_u" ] || falha "the Start-menu shortcut starts in $pasta_do_atalho"
abrir_console "$pasta_do_atalho"
titulo=$(xdotool getwindowname "$janela")
[ "$titulo" = "SAT - BRISEL Ativação (64 bits) - Versão: $versao - SAT EMULADO (satemu)" ] || falha "caption: $titulo"
consultar_na_janela "$acentos_u/satemu-state.txt" 'ConsultarSAT: 08000'

# While it runs (and its helper), an install there refuses and changes nothing.
antes=$(impressao "$acentos_u")
status=0
instalar "/D=$acentos_w" || status=$?
[ "$status" -eq 2 ] || falha "an install while the console runs ended with status $status"
ultimas_do_log 1 | grep -qF -e "ERRO: ativacao-sat.exe está em execução em $acentos_w;" \
    -e "ERRO: sat-host.exe está em execução em $acentos_w;" ||
    falha "no log line for the running console: $(ultimas_do_log)"
[ "$(impressao "$acentos_u")" = "$antes" ] || falha "the refused install changed the folder"
fechar_console
for f in Parametros.xml ConfRede.xml satemu-state.txt; do
    [ -f "$acentos_u/$f" ] || falha "$f was not written beside the installed console"
done

# ---- 4. the fleet option ----
mkdir -p "$tmp/servidor/sat"
cp "$gravador" "$tmp/servidor/sat/SAT_x64.DLL"
cp "$gravador" "$tmp/servidor/sat/outro.dll"
frota_w="C:\\Frota SAT"
frota_u="$WINEPREFIX/drive_c/Frota SAT"
status=0
instalar "/BIBLIOTECA=$("$wine" winepath -w "$tmp/servidor/sat/outro.dll" 2>/dev/null)" "/D=$frota_w" || status=$?
[ "$status" -eq 2 ] || falha "/BIBLIOTECA with another name: status $status"
[ ! -e "$frota_u" ] || falha "a refused /BIBLIOTECA installed something"
instalar /SEMATALHO "/BIBLIOTECA=$("$wine" winepath -w "$tmp/servidor/sat/SAT_x64.DLL" 2>/dev/null)" "/D=$frota_w" ||
    falha "silent install with /BIBLIOTECA: status $?: $(ultimas_do_log)"
cmp -s "$gravador" "$frota_u/SAT_x64.DLL" || falha "/BIBLIOTECA did not copy the maker's SAT_x64.DLL"
[ ! -e "$desktop_u" ] || falha "/SEMATALHO left a desktop shortcut"
consulta=$(cli "$frota_u") || falha "ativacao-sat-cli consultar on the fleet's library: $consulta"
[ "$consulta" = "SAT em operação" ] || falha "consultar on the fleet's library said: $consulta"
grep -q '^ConsultarSAT' "$frota_u/sat-gravador.txt" || falha "the fleet's library was not the one consulted"

# ---- 3. upgrade over a maker's SAT.DLL and the technician's settings ----
cp "$gravador" "$acentos_u/SAT.DLL"
cat >"$acentos_u/Parametros.xml" <<'XML'
<?xml version="1.0" standalone="yes"?>
<DATAPACKET Version="2.0"><METADATA><FIELDS><FIELD attrname="CNPJContribuinte" fieldtype="string" WIDTH="14"/></FIELDS><PARAMS/></METADATA><ROWDATA><ROW CNPJContribuinte="11222333000181"/></ROWDATA></DATAPACKET>
XML
guardados=$(cd "$acentos_u" && sha256sum SAT.DLL Parametros.xml ConfRede.xml satemu-state.txt)
instalar "/D=$acentos_w" || falha "the upgrade: status $?: $(ultimas_do_log)"
[ "$(cd "$acentos_u" && sha256sum SAT.DLL Parametros.xml ConfRede.xml satemu-state.txt)" = "$guardados" ] ||
    falha "the upgrade changed the maker's library or the technician's files"
[ ! -e "$acentos_u/SAT_x64.DLL" ] || falha "the upgrade left SAT_x64.DLL beside SAT.DLL"
verificar_instalacao "$acentos_u" "$acentos_w"
"$wineserver" -w
[ "$(grep -c '^"DisplayName"="Ativa\\xe7\\xe3o SAT"' "$WINEPREFIX/user.reg")" -eq 1 ] ||
    falha "not one entry in the list of programs: $(grep -n DisplayName "$WINEPREFIX/user.reg")"
abrir_console "$acentos_u"
titulo=$(xdotool getwindowname "$janela")
[ "$titulo" = "SAT - BRISEL Ativação (64 bits) - Versão: $versao" ] || falha "caption on the maker's SAT.DLL: $titulo"
consultar_na_janela "$acentos_u/sat-gravador.txt" '^ConsultarSAT'
fechar_console
consulta=$(cli "$acentos_u") || falha "ativacao-sat-cli consultar on SAT.DLL: $consulta"
[ "$consulta" = "SAT em operação" ] || falha "consultar on the maker's SAT.DLL said: $consulta"

# ---- 5. silent uninstalls ----
# desinstalar UNIX_FOLDER: its uninstaller, silently; waits for the copy it runs from.
desinstalar() {
    "$wine" "$1/desinstalar.exe" /S "/LOG=$log_w" >>"$tmp/wine.log" 2>&1 || falha "the uninstaller of $1: status $?"
    "$wineserver" -w
}
# The fleet's folder, installed before the upgrade: a maker's SAT_x64.DLL stays, and so
# do the shortcuts and the entry, which are the upgraded folder's.
desinstalar "$frota_u"
cmp -s "$gravador" "$frota_u/SAT_x64.DLL" || falha "uninstalling removed the maker's SAT_x64.DLL"
[ ! -e "$frota_u/ativacao-sat.exe" ] || falha "the uninstaller left ativacao-sat.exe"
ultimas_do_log 3 | grep -q 'SAT_x64.DLL' || falha "the uninstaller did not say SAT_x64.DLL was left: $(ultimas_do_log)"
[ "$(entrada InstallLocation)" = "$acentos_w" ] && [ -f "$menu_u" ] ||
    falha "uninstalling another folder took the entry or the shortcut of $acentos_w"
# The accented folder, the list's entry.
desinstalar "$acentos_u"
while IFS= read -r f; do
    [ ! -e "$acentos_u/$f" ] || falha "the uninstaller left $f"
done < <(cd "$estagio" && find . -type f | sed 's|^\./||')
for f in desinstalar.exe platforms styles; do
    [ ! -e "$acentos_u/$f" ] || falha "the uninstaller left $f"
done
[ "$(cd "$acentos_u" && sha256sum SAT.DLL Parametros.xml ConfRede.xml satemu-state.txt)" = "$guardados" ] ||
    falha "uninstalling changed the maker's library or the technician's files"
[ ! -e "$menu_u" ] && [ ! -e "$desktop_u" ] || falha "the uninstaller left a shortcut"
[ -z "$(entrada DisplayName)" ] || falha "the uninstaller left the list's entry"
ultimas_do_log 8 | grep -q 'Parametros.xml' || falha "the uninstaller did not say what was left: $(ultimas_do_log)"
# The default folder: the emulated device it installed goes too; the device's state stays.
desinstalar "$padrao_u"
[ ! -e "$padrao_u/SAT_x64.DLL" ] || falha "the uninstaller left the emulated device it installed"
[ -f "$padrao_u/satemu-state.txt" ] || falha "the uninstaller removed the device's state"

# ---- the pictures: a first install with its pages, then the console it opens ----
if [ -n "$fotos" ]; then
    mkdir -p "$fotos"
    # foto NAME WINDOW: that window alone (no window manager draws a frame around it).
    foto() { sleep 2; import -window "$2" "$fotos/$1.png"; }
    feitas=$(grep -c '^Instalado em' "$log_u" || true)
    (trap - ERR; "$wine" "$instalador" "/LOG=$log_w" >>"$tmp/wine.log" 2>&1) &
    assistente=$!
    pagina=$(timeout 120 xdotool search --sync --onlyvisible --name 'Ativação SAT' | head -n 1) ||
        falha "the installer's window did not appear"
    foto instalador-1-boas-vindas "$pagina"
    xdotool key --window "$pagina" Return
    foto instalador-2-pasta "$pagina"
    xdotool key --window "$pagina" Return
    foto instalador-3-componentes "$pagina"
    xdotool key --window "$pagina" Return
    # The last section's line in the log: the finish page follows.
    for _ in $(seq 120); do
        [ "$(grep -c '^Instalado em' "$log_u" || true)" -gt "$feitas" ] && break
        sleep 1
    done
    foto instalador-4-fim "$pagina"
    # "Concluir", with "Abrir o Ativação SAT" ticked: the console in its folder.
    xdotool key --window "$pagina" Return
    for _ in $(seq 60); do
        kill -0 "$assistente" 2>/dev/null || break
        sleep 1
    done
    kill -0 "$assistente" 2>/dev/null && falha "the installer did not end on \"Concluir\""
    wait "$assistente" || falha "the interactive install ended with status $?"
    janela=$(timeout 120 xdotool search --sync --onlyvisible --name '^SAT - BRISEL' | head -n 1) ||
        falha "the finish page did not open the console"
    for _ in $(seq 30); do
        xdotool mousemove --window "$janela" 65 14 click 1
        sleep 1
        grep -q 'ConsultarSAT: 08000' "$padrao_u/satemu-state.txt" 2>/dev/null && break
    done
    foto instalador-5-console "$janela"
    xdotool mousemove --window "$janela" 65 390 click 1
fi

echo "PASS: $(basename "$instalador"): silent installs (default folder, \"$acentos_w\"), shortcuts, list entry, the console from its shortcut on satemu, refused while running, upgrade over SAT.DLL and Parametros.xml, /BIBLIOTECA, uninstalls"
