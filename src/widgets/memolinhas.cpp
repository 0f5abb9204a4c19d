#include "widgets/memolinhas.h"

#include "core/linhaslongas.h"
#include "platform/codepage.h"

#include <cstring>
#include <QPlainTextEdit>
#include <QSaveFile>
#include <QScrollBar>
#include <QTextBlock>

namespace {

// A character the widget would take as the start of a new line, shown as a sign
// instead: "␍" for a carriage return, the replacement character for the rest.
constexpr char16_t sinalDe(char16_t c) {
    if (c == u'\r')
        return 0x240D;
    if (c == 0x2028 || terminaLinha(c))
        return 0xFFFD;
    return c;
}

bool temQuebraInterna(const QChar* inicio, qsizetype n) {
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = inicio[i].unicode();
        // Most characters are below U+2028 and not a carriage return: one comparison each.
        if (c < 0x2028 ? c == u'\r' : (c == 0x2028 || terminaLinha(c)))
            return true;
    }
    return false;
}

} // namespace

void MemoDeLinhas::esvaziar() {
    memo_->clear();
    linhas_ = 0;
    inteiras_.clear();
}

MemoDeLinhas::Preparado MemoDeLinhas::preparar(QString texto) {
    Preparado p;
    // One pass, in place: each line is moved down over the line breaks taken out and,
    // when the widget must show it otherwise, replaced by what it shows (never longer).
    QChar* d = texto.data();
    const qsizetype n = texto.size();
    qsizetype w = 0; // where the next shown character goes
    qsizetype r = 0; // where the next line starts
    while (r < n) {
        const qsizetype lf = QStringView(d + r, n - r).indexOf(u'\n');
        const qsizetype fim = lf < 0 ? n : r + lf;
        qsizetype f = fim;
        while (f > r && d[f - 1] == u'\r')
            --f; // belongs to the line break
        const qsizetype tamanho = f - r;

        if (tamanho > limiteDeLinha || temQuebraInterna(d + r, tamanho)) {
            QString inteira(d + r, tamanho);
            QString exibida = inteira;
            for (QChar& c : exibida)
                c = QChar(sinalDe(c.unicode()));
            if (exibida.size() > limiteDeLinha)
                exibida = linhaExibivel(exibida);
            p.inteiras.insert(p.linhas, std::move(inteira));
            std::memcpy(static_cast<void*>(d + w), exibida.constData(), sizeof(QChar) * exibida.size());
            w += exibida.size();
        } else {
            if (w != r)
                std::memmove(static_cast<void*>(d + w), d + r, sizeof(QChar) * tamanho);
            w += tamanho;
        }
        ++p.linhas;
        r = fim + 1;
        if (r < n)
            d[w++] = u'\n';
    }
    texto.truncate(w);
    p.exibido = std::move(texto);
    return p;
}

void MemoDeLinhas::definirTexto(QString texto) {
    Preparado p = preparar(std::move(texto));
    linhas_ = p.linhas;
    inteiras_ = std::move(p.inteiras);
    if (linhas_ == 0)
        memo_->clear();
    else
        memo_->setPlainText(p.exibido);
}

QString MemoDeLinhas::linha(qsizetype i) const {
    if (i < 0 || i >= linhas_)
        return {};
    const auto inteira = inteiras_.constFind(i);
    if (inteira != inteiras_.cend())
        return *inteira;
    return memo_->document()->findBlockByNumber(static_cast<int>(i)).text();
}

void MemoDeLinhas::rolarAteOFim() {
    memo_->moveCursor(QTextCursor::End);
    memo_->ensureCursorVisible();
}

bool MemoDeLinhas::gravar(const QString& caminho, QString* motivo) const {
    QSaveFile arquivo(caminho);
    // A file in a folder where no temporary file can be made is written in place.
    arquivo.setDirectWriteFallback(true);
    const auto falhar = [&](const QString& porque) {
        if (motivo != nullptr)
            *motivo = porque;
        if (arquivo.isOpen())
            arquivo.cancelWriting();
        return false;
    };
    // Unbuffered, and written in pieces of our own whose every byte is checked: a short
    // write (full disk) must never be renamed into place as if it were the whole file.
    if (!arquivo.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return falhar(arquivo.errorString());

    constexpr qsizetype pedaco = 512 * 1024;
    QString pendente;
    pendente.reserve(pedaco + 2);
    const auto escrever = [&]() {
        const QByteArray bytes = platform::toAnsi(pendente);
        pendente.truncate(0); // keeps its room for the next piece
        return arquivo.write(bytes) == bytes.size();
    };

    static const QString fimDeLinha = QStringLiteral("\r\n");
    QTextBlock bloco = memo_->document()->begin();
    for (qsizetype i = 0; i < linhas_; ++i, bloco = bloco.next()) {
        const auto inteira = inteiras_.constFind(i);
        pendente += inteira != inteiras_.cend() ? *inteira : bloco.text();
        pendente += fimDeLinha;
        if (pendente.size() >= pedaco && !escrever())
            return falhar(arquivo.errorString());
    }
    if (!pendente.isEmpty() && !escrever())
        return falhar(arquivo.errorString());
    if (!arquivo.commit())
        return falhar(arquivo.errorString());
    return true;
}
