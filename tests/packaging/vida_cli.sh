# shellcheck shell=bash
# A short device life through the packed command line, with every file it reads or
# writes in one folder (the unpacked folder's, whose name has accents and letters
# outside Windows-1252): the code and signature files it reads, the network document,
# the test's CF-e, a session's CF-e and the saved log it writes. Sourced by the
# package tests; `falha` is theirs.
#
#   vida_da_linha_de_comando PASTA ASSINATURA CLI...
# PASTA: where the files go (a Unix path; under Wine it is the same folder seen as Z:).
# ASSINATURA: the test signature file, copied into PASTA. CLI: the command that runs
# the command line (under Wine: the wine program and the .exe).
vida_da_linha_de_comando() {
    local pasta=$1 assinatura=$2
    shift 2
    local cli=("$@") saida
    local codigo="$pasta/código de ativação.txt" arquivos="$pasta/saída Łódź"
    mkdir -p "$arquivos"
    printf '12345678\n' >"$codigo"
    cp "$assinatura" "$pasta/assinatura ção.txt"

    # rodar ESPERADO ARGUMENTOS...: runs a subcommand with the code file, its output
    # (line ends as Unix has them) in $saida, and checks its exit status.
    rodar() {
        local esperado=$1 status=0
        shift
        saida=$("${cli[@]}" "$@" --arquivo-codigo "$codigo" 2>&1 | tr -d '\r') || status=$?
        [ "$status" -eq "$esperado" ] || falha "ativacao-sat-cli $1 exited $status, not $esperado: $saida"
    }
    rodar 0 ativar --cnpj 11222333000181 --uf SP
    [ "$saida" = "SAT Ativado corretamente, faltando associá-lo ao Aplic. Comercial." ] || falha "ativar: $saida"
    rodar 0 associar --cnpj-contribuinte 11222333000181 --cnpj-software-house 11444777000161 \
        --arquivo-assinatura "$pasta/assinatura ção.txt"
    [ "$saida" = "13000: Assinatura do AC Registrada" ] || falha "associar: $saida"
    rodar 0 rede --tipo-lan IPFIX --ip 192.168.15.20 --mascara 255.255.255.0 --gateway 192.168.15.1 \
        --dns1 192.168.15.1 --saida "$arquivos"
    grep -q '<lanIP>192.168.15.20</lanIP>' "$arquivos/ConfRede.xml" || falha "ConfRede.xml not written into $arquivos"
    rodar 0 teste --cnpj-contribuinte 11222333000181 --saida "$arquivos" --json
    grep -q '<infCFe Id="CFe' "$arquivos/CFe.xml" || falha "CFe.xml not written into $arquivos"
    local sessao
    sessao=$(sed -nE 's/.*"sessao": *"([0-9]{6})".*/\1/p' <<<"$saida" | head -n 1)
    [ -n "$sessao" ] || falha "no session number in the test's answer: $saida"
    rm "$arquivos/CFe.xml"
    rodar 0 sessao --numero "$sessao" --saida "$arquivos"
    grep -q "^$sessao" "$arquivos/CFe.xml" || falha "the session's answer not written into $arquivos/CFe.xml"
    rodar 0 logs --arquivo "$arquivos/log do SAT ção.txt"
    grep -q 'SuperLog' "$arquivos/log do SAT ção.txt" || falha "the log was not saved into $arquivos"
    rodar 0 status
    grep -q 'LAN_IP ........... 192.168.015.020' <<<"$saida" || falha "status: $saida"
}
