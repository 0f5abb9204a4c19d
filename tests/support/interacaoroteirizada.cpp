#include "interacaoroteirizada.h"

#include <QDialog>

void InteracaoRoteirizada::mensagem(const QString& texto) { exibidos.append({Tipo::Mensagem, {}, texto}); }

bool InteracaoRoteirizada::confirmar(const QString& texto) {
    exibidos.append({Tipo::Confirmacao, {}, texto});
    if (confirmacoes.empty())
        return false;
    const bool resposta = confirmacoes.front();
    confirmacoes.pop_front();
    return resposta;
}

void InteracaoRoteirizada::erro(const QString& texto) { exibidos.append({Tipo::Erro, {}, texto}); }

void InteracaoRoteirizada::mensagemSemDono(const QString& titulo, const QString& texto) {
    exibidos.append({Tipo::MensagemSemDono, titulo, texto});
}

int InteracaoRoteirizada::executar(QDialog& dialogo) {
    exibidos.append({Tipo::Dialogo, dialogo.objectName(), dialogo.windowTitle()});
    dialogo.setResult(QDialog::Rejected);
    dialogo.show(); // runs the dialog's own show handling, without a modal loop
    if (!dialogos.empty()) {
        const RoteiroDialogo roteiro = dialogos.front();
        dialogos.pop_front();
        roteiro(dialogo);
    }
    if (dialogo.isVisible())
        dialogo.close();
    return dialogo.result();
}

QString InteracaoRoteirizada::arquivoParaAbrir(const QString& titulo, const QString& filtro) {
    exibidos.append({Tipo::AbrirArquivo, titulo, filtro});
    if (arquivos.empty())
        return {};
    const QString arquivo = arquivos.front();
    arquivos.pop_front();
    return arquivo;
}

QString InteracaoRoteirizada::arquivoParaSalvar(const QString& titulo, const QString& filtro,
                                                const QString& nomeSugerido) {
    exibidos.append({Tipo::SalvarArquivo, titulo, nomeSugerido.isEmpty() ? filtro : nomeSugerido});
    if (arquivos.empty())
        return {};
    const QString arquivo = arquivos.front();
    arquivos.pop_front();
    return arquivo;
}

void InteracaoRoteirizada::abrirComProgramaAssociado(const QString& alvo) {
    exibidos.append({Tipo::Abrir, {}, alvo});
}

QStringList InteracaoRoteirizada::textos(Tipo tipo) const {
    QStringList lista;
    for (const Exibido& e : exibidos)
        if (e.tipo == tipo)
            lista.append(e.texto);
    return lista;
}
