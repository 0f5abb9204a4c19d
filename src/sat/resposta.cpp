#include "sat/resposta.h"

#include <QRegularExpression>
#include <QStringDecoder>
#include <QXmlStreamReader>

#include <stdexcept>

namespace sat {

ConjuntoCaracteres conjunto(std::initializer_list<char> caracteres) {
    ConjuntoCaracteres resultado;
    for (char c : caracteres)
        resultado.set(static_cast<unsigned char>(c));
    return resultado;
}

namespace {

inline bool pertence(const ConjuntoCaracteres& c, char ch) { return c.test(static_cast<unsigned char>(ch)); }
inline bool pertence(const ConjuntoCaracteres& c, QChar ch) { return ch.unicode() <= 255 && c.test(ch.unicode()); }

template <typename Texto, typename Lista>
qsizetype separar(const ConjuntoCaracteres& separadores, const ConjuntoCaracteres& brancos, const Texto& conteudo,
                  Lista& lista) {
    if (conteudo.isEmpty())
        return 0;
    qsizetype contados = 0;
    qsizetype i = 0;
    const qsizetype fim = conteudo.size();
    for (;;) {
        while (i < fim && pertence(brancos, conteudo[i]))
            ++i;
        const qsizetype inicio = i;
        while (i < fim && !pertence(separadores, conteudo[i]))
            ++i;
        lista.append(conteudo.mid(inicio, i - inicio));
        ++contados;
        if (i >= fim)
            return contados;
        ++i; // past the separator
    }
}

} // namespace

qsizetype ExtractStrings2(const ConjuntoCaracteres& separadores, const ConjuntoCaracteres& brancos,
                          const QByteArray& conteudo, QByteArrayList& lista) {
    return separar(separadores, brancos, conteudo, lista);
}

qsizetype ExtractStrings2(const ConjuntoCaracteres& separadores, const ConjuntoCaracteres& brancos,
                          const QString& conteudo, QStringList& lista) {
    return separar(separadores, brancos, conteudo, lista);
}

QByteArrayList campos(const QByteArray& retorno) {
    QByteArrayList lista;
    ExtractStrings2(conjunto({'|'}), {}, retorno, lista);
    return lista;
}

QString decodificar(const QByteArray& bytes) {
    // Qt's UTF-8 decoder puts U+FFFD in place of every invalid sequence.
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    return utf8.decode(bytes);
}

QString textoStatus(const QByteArray& mensagem) {
    constexpr qsizetype limite = 110;
    const QString texto = decodificar(mensagem);
    // Counted in characters, not UTF-16 units, so a cut never splits a surrogate pair.
    const QList<uint> caracteres = texto.toUcs4();
    if (caracteres.size() <= limite)
        return texto;
    return QString::fromUcs4(reinterpret_cast<const char32_t*>(caracteres.constData()), limite) + QStringLiteral(" ...");
}

const QByteArray& campo(const QByteArrayList& campos, qsizetype posicao) {
    if (posicao < 0 || posicao >= campos.size())
        throw std::out_of_range("A resposta do SAT não tem o campo " + std::to_string(posicao) + ".");
    return campos[posicao];
}

QString mensagemResposta(const QByteArrayList& campos) {
    return decodificar(campo(campos, 1)) + QStringLiteral(": ") + decodificar(campo(campos, 2));
}

std::optional<QString> textoSefaz(const QByteArrayList& campos) {
    if (campos.size() < 2)
        return std::nullopt;
    const qsizetype k = campos[1].startsWith("130") ? 4 : 3;
    if (campos.size() <= k || campos[k].isEmpty())
        return std::nullopt;
    const QString mensagem = k + 1 < campos.size() ? decodificar(campos[k + 1]) : QString();
    return QStringLiteral("Código: ") + decodificar(campos[k]) + QStringLiteral("\n\n") + mensagem;
}

namespace {

// Text and attribute values escaped for writing back; in attributes quotes and the
// white space that attribute normalisation would fold are escaped too. A carriage
// return is always a reference: written as it is, a reader would turn it into a line feed.
QString escapar(QStringView texto, bool atributo) {
    QString saida;
    saida.reserve(texto.size());
    for (QChar c : texto) {
        switch (c.unicode()) {
        case '&': saida += QStringLiteral("&amp;"); break;
        case '<': saida += QStringLiteral("&lt;"); break;
        case '>': saida += QStringLiteral("&gt;"); break;
        case '"': saida += atributo ? QStringLiteral("&quot;") : QStringLiteral("\""); break;
        case '\t': saida += atributo ? QStringLiteral("&#9;") : QStringLiteral("\t"); break;
        case '\n': saida += atributo ? QStringLiteral("&#10;") : QStringLiteral("\n"); break;
        case '\r': saida += QStringLiteral("&#13;"); break;
        default: saida += c;
        }
    }
    return saida;
}
QString escaparAtributo(QStringView texto) { return escapar(texto, true); }

} // namespace

QString escaparTexto(QStringView texto) { return escapar(texto, false); }

namespace {

// The declaration as the document wrote it, rebuilt with its own version, encoding
// and standalone values (the stream reader does not say whether "standalone" was given).
QString declaracao(const QString& xml) {
    static const QRegularExpression inicio(QStringLiteral(R"(^\s*<\?xml\s([^?]*)\?>)"));
    const QRegularExpressionMatch m = inicio.match(xml);
    if (!m.hasMatch())
        return {};
    static const QRegularExpression atributo(QStringLiteral(R"((version|encoding|standalone)\s*=\s*(["'])(.*?)\2)"));
    QString linha = QStringLiteral("<?xml");
    for (const QString& nome : {QStringLiteral("version"), QStringLiteral("encoding"), QStringLiteral("standalone")}) {
        auto it = atributo.globalMatch(m.captured(1));
        while (it.hasNext()) {
            const QRegularExpressionMatch a = it.next();
            if (a.captured(1) == nome)
                linha += QStringLiteral(" %1=\"%2\"").arg(nome, a.captured(3));
        }
    }
    return linha + QStringLiteral("?>");
}

// XML cannot carry NUL, the other control characters but tab, line feed and carriage
// return, U+FFFE, U+FFFF or half of a surrogate pair, not even as a reference. The
// stream reader lets some of them through (a NUL inside a processing instruction's
// target), and the text written would then not read again: such a text is refused
// here, with the place of the first one.
void exigirCaracteresXml(const QString& xml) {
    qsizetype linhaAtual = 1;
    qsizetype coluna = 1;
    for (qsizetype i = 0; i < xml.size(); ++i) {
        const char16_t c = xml[i].unicode();
        bool valido = c == u'\t' || c == u'\n' || c == u'\r' || (c >= 0x20 && c != 0xFFFE && c != 0xFFFF);
        if (QChar::isHighSurrogate(c)) {
            valido = i + 1 < xml.size() && xml[i + 1].isLowSurrogate();
            ++i;
        } else if (QChar::isLowSurrogate(c)) {
            valido = false;
        }
        if (!valido)
            throw std::runtime_error(QStringLiteral("XML inválido (linha %1, coluna %2): caractere U+%3 não permitido em XML")
                                         .arg(linhaAtual)
                                         .arg(coluna)
                                         .arg(QString::number(c, 16).toUpper().rightJustified(4, u'0'))
                                         .toStdString());
        if (c == u'\n') {
            ++linhaAtual;
            coluna = 1;
        } else {
            ++coluna;
        }
    }
}

// One element being written: its opening tag waits until we know whether it has
// children (its own block), only text (one line) or nothing (self-closing).
struct Aberto {
    QString etiqueta;
    QString nome;
    QString texto;
    bool temFilhos = false;
};

} // namespace

QString FormatXMLString(const QString& xml) {
    static const QString fimDeLinha = QStringLiteral("\r\n");
    QString saida;
    const auto linha = [&](qsizetype nivel, const QString& conteudo) {
        saida += QString(nivel * 2, QLatin1Char(' ')) + conteudo + fimDeLinha;
    };

    exigirCaracteresXml(xml);
    const QString decl = declaracao(xml);
    if (!decl.isEmpty())
        saida += decl + fimDeLinha;

    QList<Aberto> pilha;
    // Before a child or a comment is written, the parent's opening tag (once) and the
    // text it held so far go out on lines of their own.
    const auto abrirPai = [&]() {
        if (pilha.isEmpty())
            return;
        Aberto& pai = pilha.last();
        const qsizetype nivel = pilha.size() - 1;
        if (!pai.temFilhos)
            linha(nivel, pai.etiqueta + QLatin1Char('>'));
        pai.temFilhos = true;
        if (!pai.texto.trimmed().isEmpty())
            linha(nivel + 1, escaparTexto(pai.texto.trimmed()));
        pai.texto.clear();
    };

    QXmlStreamReader leitor(xml);
    while (!leitor.atEnd()) {
        switch (leitor.readNext()) {
        case QXmlStreamReader::StartElement: {
            abrirPai();
            QString etiqueta = QLatin1Char('<') + leitor.qualifiedName().toString();
            for (const QXmlStreamNamespaceDeclaration& ns : leitor.namespaceDeclarations()) {
                etiqueta += ns.prefix().isEmpty() ? QStringLiteral(" xmlns=\"")
                                                  : QStringLiteral(" xmlns:") + ns.prefix().toString() + QStringLiteral("=\"");
                etiqueta += escaparAtributo(ns.namespaceUri()) + QLatin1Char('"');
            }
            for (const QXmlStreamAttribute& a : leitor.attributes())
                etiqueta += QLatin1Char(' ') + a.qualifiedName().toString() + QStringLiteral("=\"") + escaparAtributo(a.value()) +
                            QLatin1Char('"');
            pilha.append({etiqueta, leitor.qualifiedName().toString(), {}, false});
            break;
        }
        case QXmlStreamReader::EndElement: {
            const Aberto el = pilha.takeLast();
            const qsizetype nivel = pilha.size();
            if (el.temFilhos) {
                if (!el.texto.trimmed().isEmpty())
                    linha(nivel + 1, escaparTexto(el.texto.trimmed()));
                linha(nivel, QStringLiteral("</") + el.nome + QLatin1Char('>'));
            } else if (el.texto.isEmpty()) {
                linha(nivel, el.etiqueta + QStringLiteral("/>"));
            } else {
                linha(nivel, el.etiqueta + QLatin1Char('>') + escaparTexto(el.texto) + QStringLiteral("</") + el.nome +
                                 QLatin1Char('>'));
            }
            break;
        }
        case QXmlStreamReader::Characters:
            if (!pilha.isEmpty())
                pilha.last().texto += leitor.text();
            break;
        case QXmlStreamReader::Comment:
            abrirPai();
            linha(pilha.size(), QStringLiteral("<!--") + leitor.text().toString() + QStringLiteral("-->"));
            break;
        case QXmlStreamReader::ProcessingInstruction: {
            abrirPai();
            // An instruction without data is written without the blank: the stream reader
            // checks the target's name more strictly when data follows it, so a target it
            // took as "<?alvo?>" might not read again as "<?alvo ?>".
            const QString dados = leitor.processingInstructionData().toString();
            linha(pilha.size(), QStringLiteral("<?") + leitor.processingInstructionTarget().toString() +
                                    (dados.isEmpty() ? QString() : QLatin1Char(' ') + dados) + QStringLiteral("?>"));
            break;
        }
        default:
            break;
        }
    }
    if (leitor.hasError())
        throw std::runtime_error(QStringLiteral("XML inválido (linha %1, coluna %2): %3")
                                     .arg(leitor.lineNumber())
                                     .arg(leitor.columnNumber())
                                     .arg(leitor.errorString())
                                     .toStdString());
    return saida;
}

} // namespace sat
