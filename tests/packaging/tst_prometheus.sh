#!/usr/bin/env bash
# A real Prometheus reads what the command line writes: the emulated device, activated
# and with a certificate that expires in 10 days; `ativacao-sat-cli metricas` writes its
# reading into a textfile folder (under names with blanks and accents); node_exporter
# with only its textfile collector serves that folder; Prometheus scrapes it every
# second with the project's alert rules. Both on 127.0.0.1, on free ports, for a bounded
# time, and stopped at the end whatever happens. Prometheus's HTTP API must give the
# device's certificate expiry and a firing SatCertificadoVencendo (and not its critical
# twin).
#
#   tst_prometheus.sh BIN_DIR RULES_FILE
# Exit 77 (skipped) when Prometheus, node_exporter, curl or jq are not installed.
set -euo pipefail
bin=$1 regras=$2

for programa in prometheus promtool prometheus-node-exporter curl jq; do
    if ! command -v "$programa" >/dev/null; then
        echo "SKIP: $programa is not installed (Debian prometheus, prometheus-node-exporter, curl, jq; scripts/test.sh installs them)"
        exit 77
    fi
done

falha() {
    echo "FAIL: $*" >&2
    exit 1
}

tmp=$(mktemp -d "${TMPDIR:-/tmp}/prometheus do SAT.XXXXXX")
pids=()
encerrar() {
    local pid
    for pid in "${pids[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
    for pid in "${pids[@]}"; do
        wait "$pid" 2>/dev/null || true
    done
    rm -rf "$tmp"
}
trap encerrar EXIT

# ---- the device and its reading ----
export SATEMU_HOME="$tmp/satemu" SAT_CODIGO_ATIVACAO="c0d1g0-d0-S4T"
mkdir -p "$SATEMU_HOME"
"$bin/ativacao-sat-cli" ativar --cnpj 11222333000181 --uf SP >/dev/null || falha "activation"
estado="$SATEMU_HOME/satemu-state.txt"
vence=$(date -d '+10 days' +%Y%m%d)
grep -q '^cert_vencimento=' "$estado" || falha "no cert_vencimento in $estado"
sed -i "s/^cert_vencimento=.*/cert_vencimento=$vence/" "$estado"
# The first second of that day in this machine's zone, as the command line reads it.
esperado=$(date -d "$vence" +%s)

pasta="$tmp/textfile ção 日本"
mkdir -p "$pasta"
"$bin/ativacao-sat-cli" metricas --saida "$pasta/sat.prom" --trava "$tmp/metricas.lock" ||
    falha "metricas ended with status $?"
promtool check metrics <"$pasta/sat.prom" || falha "promtool check metrics: $(cat "$pasta/sat.prom")"
grep -qx "sat_certificate_expiry_timestamp_seconds $esperado" "$pasta/sat.prom" ||
    falha "the file lacks the expiry $esperado: $(cat "$pasta/sat.prom")"

# ---- the servers ----
# A port nothing listens on (a server that still loses the race fails to start, and
# the next port is tried).
porta_livre() {
    local porta
    while :; do
        porta=$((20000 + RANDOM % 40000))
        if ! (exec 3<>"/dev/tcp/127.0.0.1/$porta") 2>/dev/null; then
            echo "$porta"
            return
        fi
    done
}

# espera_por SECONDS COMMAND...: runs COMMAND every 0.5 s until it succeeds; fails after SECONDS.
espera_por() {
    local limite=$((SECONDS + $1))
    shift
    until "$@"; do
        [ "$SECONDS" -lt "$limite" ] || return 1
        sleep 0.5
    done
}

pronto() { curl -sf "$1" >/dev/null; }

# inicia NOME URL_PATH COMMAND... (with @PORTA@ for the port): started on a free port,
# up to three times; sets $porta.
inicia() {
    local nome=$1 caminho=$2 tentativa pid
    shift 2
    for tentativa in 1 2 3; do
        porta=$(porta_livre)
        "${@//@PORTA@/$porta}" >"$tmp/$nome.log" 2>&1 &
        pid=$!
        pids+=("$pid")
        if espera_por 30 pronto "http://127.0.0.1:$porta$caminho"; then
            return 0
        fi
        kill "$pid" 2>/dev/null || true
        echo "$nome did not start on $porta (attempt $tentativa): $(tail -n 5 "$tmp/$nome.log")" >&2
    done
    falha "$nome did not start"
}

inicia node_exporter /metrics prometheus-node-exporter --web.listen-address=127.0.0.1:@PORTA@ \
    --collector.disable-defaults --collector.textfile "--collector.textfile.directory=$pasta"
porta_node=$porta
curl -sf "http://127.0.0.1:$porta_node/metrics" | grep -q '^sat_reading_success 1$' ||
    falha "node_exporter does not serve the reading: $(tail -n 20 "$tmp/node_exporter.log")"

cat >"$tmp/prometheus.yml" <<EOF
global:
  scrape_interval: 1s
  evaluation_interval: 1s
rule_files:
  - "$regras"
scrape_configs:
  - job_name: sat
    static_configs:
      - targets: ["127.0.0.1:$porta_node"]
EOF
inicia prometheus /-/ready prometheus "--config.file=$tmp/prometheus.yml" "--storage.tsdb.path=$tmp/tsdb" \
    --web.listen-address=127.0.0.1:@PORTA@
api="http://127.0.0.1:$porta/api/v1"

# consulta PROMQL: the value of the first sample of the instant query, or "".
consulta() {
    curl -sf --get "$api/query" --data-urlencode "query=$1" | jq -r '.data.result[0].value[1] // empty'
}
igual_ao_do_satemu() { [ "$(consulta sat_certificate_expiry_timestamp_seconds)" = "$esperado" ]; }
disparando() { [ "$(consulta "ALERTS{alertname=\"$1\",alertstate=\"firing\"}")" = "1" ]; }

espera_por 60 igual_ao_do_satemu ||
    falha "Prometheus never gave the expiry $esperado (last: $(consulta sat_certificate_expiry_timestamp_seconds))"
espera_por 60 disparando SatCertificadoVencendo ||
    falha "SatCertificadoVencendo never fired: $(curl -sf "$api/alerts")"
# The critical twin stays quiet at 10 days, and so do the other alerts.
disparando SatCertificadoVencendoCritico && falha "SatCertificadoVencendoCritico fired at 10 days"
outros=$(curl -sf "$api/alerts" | jq -r '[.data.alerts[].labels.alertname | select(. != "SatCertificadoVencendo")] | join(",")')
[ -z "$outros" ] || falha "other alerts fired: $outros"
[ "$(consulta 'sat_reading_success')" = "1" ] || falha "sat_reading_success is not 1"
echo "Prometheus on 127.0.0.1:$porta, node_exporter on 127.0.0.1:$porta_node: expiry $esperado, SatCertificadoVencendo firing"
