// Every subcommand of ativacao-sat-cli, in the order the help lists them: one line
// SUBCOMANDO(file) for src/cli/<file>.cpp, which defines
// `const cli::Comando& cli::subcomando::<file>()`. A new subcommand is its file and its
// line here; the build takes the file from this list.
SUBCOMANDO(consultar)
SUBCOMANDO(status)
SUBCOMANDO(ativar)
SUBCOMANDO(certificado)
SUBCOMANDO(trocarcodigo)
SUBCOMANDO(associar)
SUBCOMANDO(rede)
SUBCOMANDO(teste)
SUBCOMANDO(sessao)
SUBCOMANDO(logs)
SUBCOMANDO(bloquear)
SUBCOMANDO(desbloquear)
SUBCOMANDO(desativar)
SUBCOMANDO(atualizar)
SUBCOMANDO(metricas)
