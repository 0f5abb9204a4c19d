#!/usr/bin/env bash
# The Wine profiles of the Windows trees (wine_profile in scripts/common.sh): made when
# missing, kept while Wine's packages are those it was made with, and made again when
# they changed (a profile made before wine32 was installed cannot start 32-bit
# programs) or when it does not say what it was made with. A stand-in for wine counts
# how often a profile is made.
#
#   tst_perfil_wine.sh SOURCE_DIR
set -euo pipefail
source "$1/scripts/common.sh"

falha() {
    echo "FAIL: $*" >&2
    exit 1
}

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
mkdir "$tmp/bin"
cat >"$tmp/bin/wine" <<'FIM'
#!/bin/sh
[ "$1 $2" = "wineboot --init" ] || exit 9
mkdir -p "$WINEPREFIX/drive_c" && touch "$WINEPREFIX/system.reg"
echo feito >>"$(dirname "$0")/perfis"
FIM
printf '#!/bin/sh\nexit 0\n' >"$tmp/bin/wineserver"
chmod +x "$tmp/bin/wine" "$tmp/bin/wineserver"
perfil="$tmp/perfil com espaço"
feitos() { wc -l <"$tmp/bin/perfis" 2>/dev/null || echo 0; }

wine_profile "$tmp/bin/wine" "$perfil" "$tmp/wineboot.log" >/dev/null
[ "$(feitos)" -eq 1 ] && [ -f "$perfil/system.reg" ] || falha "a missing profile was not made"
touch "$perfil/drive_c/marca"
wine_profile "$tmp/bin/wine" "$perfil" "$tmp/wineboot.log" >/dev/null
[ "$(feitos)" -eq 1 ] && [ -f "$perfil/drive_c/marca" ] || falha "a profile of the same Wine was made again"

# Made with other packages (as before wine32:i386 came): made again, from nothing.
echo 'wine64:amd64 0.0' >"$perfil/.pacotes-do-wine"
saida=$(wine_profile "$tmp/bin/wine" "$perfil" "$tmp/wineboot.log")
[ "$(feitos)" -eq 2 ] && [ ! -e "$perfil/drive_c/marca" ] || falha "a profile of other Wine packages was kept"
grep -q "again" <<<"$saida" || falha "no line said why the profile was made again: $saida"

# A profile that does not say what made it (as those made before this check).
rm "$perfil/.pacotes-do-wine"
wine_profile "$tmp/bin/wine" "$perfil" "$tmp/wineboot.log" >/dev/null
[ "$(feitos)" -eq 3 ] || falha "a profile with no record of its Wine was kept"
wine_profile "$tmp/bin/wine" "$perfil" "$tmp/wineboot.log" >/dev/null
[ "$(feitos)" -eq 3 ] || falha "the record written with the profile was not read back"
echo "PASS: profiles made when missing, kept for the same Wine, made again when Wine changed"
