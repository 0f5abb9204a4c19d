#include "sat/executorremoto.h"

#include "sat/duracao.h"
#include "sat/protocolo.h"

#include <csignal>
#include <QEventLoop>
#include <QTimer>

namespace sat {

ExecutorRemoto::ExecutorRemoto(QString programa, int limiteDeCargaMs)
    : programa_(std::move(programa)), limiteDeCargaMs_(limiteDeCargaMs) {}

ExecutorRemoto::~ExecutorRemoto() {
    encerrar();
}

void ExecutorRemoto::iniciar() {
    if (processo_ && processo_->state() != QProcess::NotRunning)
        return;
    processo_ = std::make_unique<QProcess>();
    // The helper's diagnostics (and whatever the library prints) go where the
    // console's own would.
    processo_->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    processo_->setProgram(programa_);
    lendoCorpo_ = false;
    cargaAntecipada_.clear();
    processo_->start(QIODevice::ReadWrite);
}

void ExecutorRemoto::antecipar(const QString& caminho) {
    iniciar();
    // Written now, read at carregar(): the helper loads while the window is built.
    if (cargaAntecipada_.isEmpty() && enviar(protocolo::pedidoCarregar(caminho.toStdString())))
        cargaAntecipada_ = caminho;
}

bool ExecutorRemoto::iniciarSeParado(QString& erro) {
    iniciar();
    if (!processo_->waitForStarted(30000)) {
        erro = QStringLiteral("o programa auxiliar %1 não pôde ser iniciado (%2)")
                   .arg(programa_, processo_->errorString());
        processo_.reset();
        return false;
    }
    return true;
}

void ExecutorRemoto::encerrar() {
    if (!processo_)
        return;
    // Closing its input is the helper's cue to end; one that does not (a library
    // stuck in its unloading) is ended by force.
    processo_->closeWriteChannel();
    if (!processo_->waitForFinished(2000)) {
        processo_->kill();
        processo_->waitForFinished(2000);
    }
    processo_.reset();
}

qint64 ExecutorRemoto::processoDoHospedeiro() const {
    return processo_ && processo_->state() == QProcess::Running ? processo_->processId() : 0;
}

bool ExecutorRemoto::enviar(const std::string& conteudo) {
    char cabecalho[protocolo::tamanhoDoCabecalho];
    protocolo::escreverCabecalho(cabecalho, static_cast<std::uint32_t>(conteudo.size()));
    return processo_->write(cabecalho, sizeof cabecalho) == sizeof cabecalho &&
           processo_->write(conteudo.data(), static_cast<qint64>(conteudo.size())) ==
               static_cast<qint64>(conteudo.size());
}

bool ExecutorRemoto::quadroCompleto(Quadro& quadro, Espera& falha) {
    if (!lendoCorpo_) {
        // The length and the kind of answer first; a frame has at least its kind. The
        // length is judged as soon as it is there: a frame of length 0 has no fifth
        // byte to wait for.
        constexpr qint64 inicio = protocolo::tamanhoDoCabecalho + 1;
        char cabecalho[inicio];
        if (processo_->peek(cabecalho, protocolo::tamanhoDoCabecalho) < qint64{protocolo::tamanhoDoCabecalho})
            return false;
        const std::uint32_t tamanho = protocolo::lerCabecalho(cabecalho);
        if (tamanho == 0 || tamanho > protocolo::limiteDoQuadro) {
            falha = Espera::Malformada;
            return true;
        }
        if (processo_->bytesAvailable() < inicio)
            return false;
        processo_->read(cabecalho, inicio);
        emLeitura_.primeiro = cabecalho[protocolo::tamanhoDoCabecalho];
        emLeitura_.corpo = QByteArray(static_cast<qsizetype>(tamanho - 1), Qt::Uninitialized);
        lidos_ = 0;
        lendoCorpo_ = true;
    }
    if (lidos_ < emLeitura_.corpo.size()) {
        const qint64 n = processo_->read(emLeitura_.corpo.data() + lidos_, emLeitura_.corpo.size() - lidos_);
        if (n > 0)
            lidos_ += static_cast<qsizetype>(n);
    }
    if (lidos_ < emLeitura_.corpo.size())
        return false;
    quadro = std::move(emLeitura_);
    emLeitura_ = Quadro();
    lendoCorpo_ = false;
    falha = Espera::Quadro;
    return true;
}

ExecutorRemoto::Espera ExecutorRemoto::esperarQuadro(Quadro& conteudo, int limiteMs) {
    Espera resultado = Espera::Quadro;
    if (quadroCompleto(conteudo, resultado))
        return resultado;

    QEventLoop laco;
    QTimer limite;
    limite.setSingleShot(true);
    bool excedida = false;
    bool chegou = false;
    const auto conexaoLeitura =
        QObject::connect(processo_.get(), &QProcess::readyReadStandardOutput, &laco, [&] {
            if (quadroCompleto(conteudo, resultado)) {
                chegou = true;
                laco.quit();
            }
        });
    const auto conexaoFim =
        QObject::connect(processo_.get(), &QProcess::finished, &laco, [&] { laco.quit(); });
    QObject::connect(&limite, &QTimer::timeout, &laco, [&] {
        excedida = true;
        laco.quit();
    });
    if (limiteMs >= 0)
        limite.start(limiteMs);
    // The window keeps painting while the helper works; input is the window's to block.
    espera_ = &laco;
    if (processo_->state() != QProcess::NotRunning)
        laco.exec();
    espera_ = nullptr;
    QObject::disconnect(conexaoLeitura);
    QObject::disconnect(conexaoFim);

    if (chegou)
        return resultado;
    // What the helper wrote before it ended may still complete the frame.
    if (processo_->state() == QProcess::NotRunning && quadroCompleto(conteudo, resultado))
        return resultado;
    if (abandonada_) {
        // Ended for good before the next command starts a fresh helper.
        processo_->waitForFinished(5000);
        return Espera::Abandonada;
    }
    if (excedida)
        return Espera::Excedida;
    return Espera::Terminou;
}

QString ExecutorRemoto::comoTerminou() {
    if (!processo_)
        return QStringLiteral("o programa auxiliar não está em execução");
    processo_->waitForFinished(2000);
    const int codigo = processo_->exitCode();
    if (processo_->exitStatus() == QProcess::NormalExit)
        return QStringLiteral("a biblioteca encerrou o programa com o código %1").arg(codigo);
#ifdef _WIN32
    switch (static_cast<unsigned>(codigo)) {
    case 0xC0000005u:
        return QStringLiteral("violação de acesso à memória");
    case 0xC00000FDu:
        return QStringLiteral("estouro de pilha");
    case 0xC0000409u:
        return QStringLiteral("a biblioteca abortou");
    default:
        return QStringLiteral("falha 0x%1").arg(static_cast<unsigned>(codigo), 8, 16, QLatin1Char('0'));
    }
#else
    switch (codigo) {
    case SIGSEGV:
        return QStringLiteral("falha de segmentação");
    case SIGABRT:
        return QStringLiteral("a biblioteca abortou");
    case SIGBUS:
        return QStringLiteral("erro de barramento");
    case SIGFPE:
        return QStringLiteral("erro aritmético");
    case SIGILL:
        return QStringLiteral("instrução inválida");
    case SIGKILL:
        return QStringLiteral("o programa auxiliar foi encerrado à força");
    default:
        return QStringLiteral("o programa auxiliar terminou pelo sinal %1").arg(codigo);
    }
#endif
}

bool ExecutorRemoto::carregarNoHospedeiro(const QString& caminho, QString& erro) {
    vinculada_ = false;
    funcoes_ = 0;
    convencao_ = protocolo::Convencao::Desconhecida;
    if (!iniciarSeParado(erro))
        return false;
    abandonada_ = false;
    Quadro conteudo;
    Espera espera = Espera::Terminou;
    // A load sent ahead for another file is answered first; its answer is dropped.
    if (!cargaAntecipada_.isEmpty() && cargaAntecipada_ != caminho &&
        esperarQuadro(conteudo, limiteDeCargaMs_) != Espera::Quadro)
        cargaAntecipada_.clear();
    if (cargaAntecipada_ == caminho || enviar(protocolo::pedidoCarregar(caminho.toStdString())))
        espera = esperarQuadro(conteudo, limiteDeCargaMs_);
    cargaAntecipada_.clear();
    switch (espera) {
    case Espera::Quadro:
        break;
    case Espera::Excedida:
        processo_->kill();
        processo_->waitForFinished(5000);
        erro = QStringLiteral("a biblioteca não terminou de carregar em %1").arg(emSegundos(limiteDeCargaMs_));
        return false;
    case Espera::Abandonada:
        erro = QStringLiteral("carga interrompida a pedido do usuário");
        return false;
    case Espera::Terminou:
        erro = QStringLiteral("o programa auxiliar parou durante a carga (%1)").arg(comoTerminou());
        return false;
    case Espera::Malformada:
        processo_->kill();
        erro = QStringLiteral("o programa auxiliar respondeu algo que não se pode ler");
        return false;
    }
    const std::optional<protocolo::RespostaDaCarga> resposta =
        protocolo::lerRespostaCarga(conteudo.inteiro());
    if (!resposta) {
        // A helper that answers what it should not is not trusted with the next load.
        processo_->kill();
        processo_->waitForFinished(5000);
        erro = QStringLiteral("o programa auxiliar respondeu algo que não se pode ler");
        return false;
    }
    if (!resposta->carregada) {
        erro = QString::fromStdString(resposta->erro);
        return false;
    }
    vinculada_ = true;
    funcoes_ = resposta->funcoes;
    return true;
}

bool ExecutorRemoto::carregar(const QString& caminho, QString& erro) {
    caminho_ = caminho;
    return carregarNoHospedeiro(caminho, erro);
}

bool ExecutorRemoto::possui(int indice) const {
    return vinculada_ && indice >= 0 && indice < numeroDeFuncoes && (funcoes_ & (1u << indice)) != 0;
}

RespostaSat ExecutorRemoto::chamar(const Invocacao& chamada) {
    // After a crash the library is loaded again in a fresh helper.
    if (!processo_ || processo_->state() == QProcess::NotRunning) {
        QString erro;
        if (!carregarNoHospedeiro(caminho_, erro))
            return {RespostaSat::Tipo::Indisponivel, {}, erro};
        if (!possui(chamada.indice))
            return {RespostaSat::Tipo::Indisponivel,
                    {},
                    QStringLiteral("a biblioteca carregada de novo não tem esta função")};
    }
    abandonada_ = false;
    Quadro conteudo;
    Espera espera = Espera::Terminou;
    if (enviar(protocolo::pedidoChamar(chamada)))
        espera = esperarQuadro(conteudo, -1);
    switch (espera) {
    case Espera::Quadro:
        break;
    case Espera::Abandonada:
        return {RespostaSat::Tipo::Interrompida, {}, QStringLiteral("encerrada a pedido do usuário")};
    case Espera::Excedida:
    case Espera::Terminou:
        return {RespostaSat::Tipo::Interrompida, {}, comoTerminou()};
    case Espera::Malformada:
        processo_->kill();
        return {
            RespostaSat::Tipo::Interrompida, {}, QStringLiteral("resposta ilegível do programa auxiliar")};
    }
    // The answer's bytes go to the operation as they came, with no copy; only the
    // small answers without text are read whole.
    if (protocolo::Convencao vista; protocolo::comecaTexto(conteudo.primeiro, vista)) {
        convencao_ = vista;
        return {RespostaSat::Tipo::Texto, std::move(conteudo.corpo), {}};
    }
    const std::optional<protocolo::RespostaDaChamada> resposta =
        protocolo::lerRespostaChamada(conteudo.inteiro());
    if (!resposta) {
        processo_->kill();
        return {
            RespostaSat::Tipo::Interrompida, {}, QStringLiteral("resposta ilegível do programa auxiliar")};
    }
    switch (resposta->desfecho) {
    case protocolo::Desfecho::Texto:
    case protocolo::Desfecho::TextoStdcall:
    case protocolo::Desfecho::TextoCdecl:
        break; // taken above
    case protocolo::Desfecho::Nula:
        return {RespostaSat::Tipo::Nula, {}, {}};
    case protocolo::Desfecho::GrandeDemais:
        return {RespostaSat::Tipo::Indisponivel,
                {},
                QStringLiteral("a resposta da biblioteca passa do tamanho máximo")};
    case protocolo::Desfecho::SemFuncao:
    case protocolo::Desfecho::ArgumentosErrados:
    case protocolo::Desfecho::PedidoInvalido:
        break;
    }
    return {RespostaSat::Tipo::Indisponivel, {}, QStringLiteral("o programa auxiliar recusou a chamada")};
}

void ExecutorRemoto::abandonar() {
    if (!processo_ || processo_->state() == QProcess::NotRunning)
        return;
    abandonada_ = true;
    processo_->kill();
    if (espera_ != nullptr)
        espera_->quit();
}

} // namespace sat
