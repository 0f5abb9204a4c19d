#include "app/interacaoqt.h"

#include "app/aplicacao.h"
#include "core/linhaslongas.h"

#include "platform/platform.h"

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

void InteracaoQt::mensagem(const QString& texto) {
    QMessageBox caixa(QMessageBox::NoIcon, Aplicacao::titulo, textoExibivel(texto), QMessageBox::Ok, janela_);
    caixa.exec();
}

bool InteracaoQt::confirmar(const QString& texto) {
    QMessageBox caixa(QMessageBox::Question, Aplicacao::titulo, textoExibivel(texto),
                      QMessageBox::Ok | QMessageBox::Cancel, janela_);
    caixa.button(QMessageBox::Cancel)->setText(QStringLiteral("Cancelar"));
    return caixa.exec() == QMessageBox::Ok;
}

void InteracaoQt::erro(const QString& texto) {
    QMessageBox caixa(QMessageBox::Critical, Aplicacao::titulo, textoExibivel(texto), QMessageBox::Ok, janela_);
    caixa.exec();
}

void InteracaoQt::mensagemSemDono(const QString& titulo, const QString& texto) {
    platform::caixaDeMensagemSemDono(titulo.toStdString(), textoExibivel(texto).toStdString());
}

int InteracaoQt::executar(QDialog& dialogo) { return dialogo.exec(); }

QString InteracaoQt::arquivoParaAbrir(const QString& titulo, const QString& filtro) {
    return QFileDialog::getOpenFileName(janela_, titulo, QString(), filtro);
}

QString InteracaoQt::arquivoParaSalvar(const QString& titulo, const QString& filtro, const QString& nomeSugerido) {
    // Choosing a name writes nothing: the file is written (and replaced) only by the
    // command that saves, so the dialog does not ask about an existing file.
    return QFileDialog::getSaveFileName(janela_, titulo, nomeSugerido, filtro, nullptr,
                                        QFileDialog::DontConfirmOverwrite);
}

void InteracaoQt::abrirComProgramaAssociado(const QString& alvo) {
    platform::abrirComProgramaAssociado(alvo.toStdString());
}
