// The log page's reading of a device log: Base64 decoded, shown whole or as its last
// SuperLog section, then laid out as the memo's lines.
//
// Input: a first byte that chooses how the rest reaches the page, then the rest. Odd:
// the rest is the Base64 text itself, stray characters and all. Even: the rest is the
// log's bytes, encoded here as the device would. Exactly 2: the same behind a first line
// of letters just short of the memo's line limit, so that a line the memo must cut
// ends in the input's own characters (one byte value of all, as such an input costs a
// hundred short ones).
//
// Properties: the whole log is its text plus the hyphen line; the SuperLog section is
// the one a plain line-by-line search finds; the memo keeps every line exactly as it
// came, shows no line longer than its limit and none that the widget would break.
#include "core/linhaslongas.h"
#include "comum.h"
#include "operations/conteudolog.h"
#include "widgets/memolinhas.h"

#include <cstring>
#include <QByteArray>
#include <QByteArrayList>
#include <QString>
#include <QStringDecoder>
#include <QStringList>
#include <sys/mman.h>
#include <unistd.h>

namespace {

QString utf8(QByteArrayView bytes) {
    QStringDecoder d(QStringDecoder::Utf8,
                     QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    return d.decode(bytes);
}

// The last SuperLog section, found line by line.
QString superLogDeReferencia(const QByteArray& log) {
    const QByteArrayList linhas = log.split('\n');
    qsizetype inicio = -1;
    for (qsizetype i = 0; i < linhas.size(); ++i)
        if (linhas[i].contains(conteudolog::inicioSuperLog) ||
            linhas[i].contains(conteudolog::inicioSuperLogDuvra))
            inicio = i;
    if (inicio >= 0) {
        for (qsizetype fim = inicio; fim < linhas.size(); ++fim) {
            if (!linhas[fim].contains(conteudolog::fimSuperLog))
                continue;
            QString texto(1, u'\n');
            for (qsizetype i = inicio; i <= fim; ++i)
                texto += QStringLiteral("   ") +
                         utf8(QByteArrayView(linhas[i]).sliced(std::min<qsizetype>(24, linhas[i].size()))) +
                         u'\n';
            return texto;
        }
    }
    return QStringLiteral("\n\n") + conteudolog::semSuperLog + QStringLiteral("\n\n\n");
}

// The log copied to the very start of a page whose preceding page cannot be read, so
// that a search reading before the log (Qt does not report its own reads) faults.
QByteArrayView depoisDeUmaGuarda(const QByteArray& log) {
    static const std::size_t pagina = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    static const std::size_t espaco = 1024 * 1024;
    static char* const inicio = [] {
        void* mapa =
            mmap(nullptr, pagina + espaco, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        EXIGIR(mapa != MAP_FAILED && mprotect(mapa, pagina, PROT_NONE) == 0, "a página de guarda");
        return static_cast<char*>(mapa) + pagina;
    }();
    const std::size_t n = std::min(espaco, static_cast<std::size_t>(log.size()));
    std::memcpy(inicio, log.constData(), n);
    return QByteArrayView(inicio, static_cast<qsizetype>(n));
}

// The memo's lines of a text: split at line feeds, a final one starting no line, the
// carriage returns before each break belonging to it.
QStringList linhasDoMemo(const QString& texto) {
    QStringList linhas = texto.split(u'\n');
    if (texto.isEmpty() || texto.endsWith(u'\n'))
        linhas.removeLast();
    for (QString& linha : linhas)
        while (linha.endsWith(u'\r'))
            linha.chop(1);
    return linhas;
}

void conferirMemo(const QString& texto) {
    const MemoDeLinhas::Preparado p = MemoDeLinhas::preparar(texto);
    const QStringList esperadas = linhasDoMemo(texto);
    EXIGIR(p.linhas == esperadas.size(), "uma linha do memo por linha do texto");
    const QStringList exibidas = p.linhas == 0 ? QStringList() : p.exibido.split(u'\n');
    EXIGIR(exibidas.size() == p.linhas, "o widget recebe uma linha por linha");
    for (qsizetype i = 0; i < p.linhas; ++i) {
        const QString& exibida = exibidas[i];
        EXIGIR(exibida.size() <= limiteDeLinha, "nenhuma linha exibida passa do limite");
        for (const QChar c : exibida)
            EXIGIR(!terminaLinha(c.unicode()) && c.unicode() != 0x2028,
                   "nenhuma linha exibida quebra no widget");
        const auto inteira = p.inteiras.constFind(i);
        EXIGIR((inteira != p.inteiras.cend() ? *inteira : exibida) == esperadas[i],
               "cada linha é guardada como veio");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* dados, std::size_t tamanho) {
    if (tamanho == 0)
        return 0;
    const QByteArray resto(reinterpret_cast<const char*>(dados) + 1, static_cast<qsizetype>(tamanho - 1));
    QByteArray log;
    QByteArray base64;
    if ((dados[0] & 1) != 0) {
        base64 = resto;
        log = QByteArray::fromBase64(resto);
    } else {
        log = dados[0] == 2 ? QByteArray(limiteDeLinha - 40, 'x') + resto : resto;
        base64 = log.toBase64();
    }

    const QString inteiro = conteudolog::textoDoLog(base64, conteudolog::modoLogInteiro);
    const QString fechamento = conteudolog::linhaDeHifens + u'\n';
    EXIGIR(inteiro == (log.isEmpty() ? fechamento : utf8(log) + u'\n' + fechamento),
           "o log inteiro é o seu texto e a linha de hífens");
    conferirMemo(inteiro);

    const QString superLog = conteudolog::textoDoLog(base64, conteudolog::modoSuperLog);
    EXIGIR(superLog == superLogDeReferencia(log), "a última seção SuperLog, linha por linha");
    if (log.size() <= 1024 * 1024)
        EXIGIR(conteudolog::textoSuperLog(depoisDeUmaGuarda(log)) == superLog, "a busca não lê antes do log");
    conferirMemo(superLog);
    return 0;
}
