#pragma once

// What the page tests share: a main window on the scripted library table and the
// scripted user, its parameter store in a temporary folder, and short ways to reach
// its controls by their object names.

#include "app/tfativacao.h"
#include "sat/resposta.h"
#include "bibliotecaroteirizada.h"
#include "interacaoroteirizada.h"

#include <memory>
#include <QColor>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QStackedWidget>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

// The side-bar buttons, top to bottom.
inline const QStringList botoesLaterais{
    QStringLiteral("BtnPrincipal"),  QStringLiteral("BtnConfRede"),     QStringLiteral("BtnAtivacao"),
    QStringLiteral("BtnAssocAssin"), QStringLiteral("BtnTestefimafim"), QStringLiteral("BitBtnStatus"),
    QStringLiteral("BitLogs"),       QStringLiteral("BtnCodAtivacao"),  QStringLiteral("BtnBloquearSAT"),
    QStringLiteral("BitAtualizaSW"), QStringLiteral("BtnSair"),         QStringLiteral("BitSuperLog"),
};

inline const QColor verde(0, 128, 0);
inline const QColor vermelho(255, 0, 0);

class Bancada {
public:
    // The parameter store lives in the temporary folder: Parametros.xml there holds
    // `parametros` when given, otherwise the store starts without a file (and writes
    // one only at the end of a run, and only there).
    explicit Bancada(sat::FuncoesSAT funcoes = roteiro::funcoes(), const QByteArray& parametros = {}) {
        roteiro::limpar();
        if (!parametros.isEmpty()) {
            QFile arquivo(pasta.filePath(QStringLiteral("Parametros.xml")));
            if (!arquivo.open(QIODevice::WriteOnly) || arquivo.write(parametros) != parametros.size())
                qFatal("could not write the test's Parametros.xml");
        }
        janela = std::make_unique<TFAtivacao>(
            ui, TFAtivacao::Opcoes{pasta.path(), funcoes, pasta.filePath(QStringLiteral("Parametros.xml"))});
        if (janela->terminacaoSolicitada())
            qFatal("the test window did not start");
        // Only what the operations show counts from here on.
        ui.exibidos.clear();
    }

    InteracaoRoteirizada ui;
    QTemporaryDir pasta;
    std::unique_ptr<TFAtivacao> janela;

    // A control of the window by its object name; a missing one ends the run, as every
    // check after it would be meaningless.
    template <typename T = QWidget> T* controle(const QString& nome) const {
        T* c = janela->findChild<T*>(nome);
        if (c == nullptr)
            qFatal("no control named %s", qPrintable(nome));
        return c;
    }

    // A control inside one page or dialog: the code page and the code prompt both have
    // an "EdtCodigo" and a "BtnTrocarCod".
    template <typename T = QWidget> T* controleEm(const QString& dono, const QString& nome) const {
        T* c = controle<QWidget>(dono)->findChild<T*>(nome);
        if (c == nullptr)
            qFatal("no control named %s in %s", qPrintable(nome), qPrintable(dono));
        return c;
    }

    QPushButton* lateral(const QString& nome) const { return controle<QPushButton>(nome); }

    int paginaAtual() const {
        return controle<QStackedWidget>(QStringLiteral("PageControl"))->currentIndex();
    }
    void selecionarPagina(int indice) const {
        controle<QStackedWidget>(QStringLiteral("PageControl"))->setCurrentIndex(indice);
    }

    QString barraDeStatus() const { return controle<QLabel>(QStringLiteral("StatusPanel0"))->text(); }

    // Shows the window for real, so that pages run their show handlers and focus can
    // be observed.
    [[nodiscard]] bool mostrar() const {
        janela->show();
        return QTest::qWaitForWindowExposed(janela.get());
    }

    // The name of the control that has (or would have, once the window is active) the
    // keyboard focus.
    QString foco() const {
        const QWidget* w = janela->focusWidget();
        return w != nullptr ? w->objectName() : QString();
    }

    void desabilitarBarraLateral() const {
        for (const QString& nome : botoesLaterais)
            lateral(nome)->setEnabled(false);
    }
    QStringList lateraisHabilitados() const {
        QStringList nomes;
        for (const QString& nome : botoesLaterais)
            if (lateral(nome)->isEnabled())
                nomes.append(nome);
        return nomes;
    }

    // The session number of the last call, as the library received it.
    QByteArray sessaoDaUltimaChamada() const {
        return QByteArray::number(roteiro::chamadas().last().sessao).rightJustified(6, '0');
    }
};

// What the user does in the activation-code prompt: types the code and presses
// "Validar", or types it and closes the prompt with its title-bar button.
inline InteracaoRoteirizada::RoteiroDialogo validarCom(const QString& codigo) {
    return [codigo](QDialog& d) {
        QTest::keyClicks(d.findChild<QLineEdit*>(QStringLiteral("EdtCodigo")), codigo);
        QTest::mouseClick(d.findChild<QPushButton*>(QStringLiteral("BtnTrocarCod")), Qt::LeftButton);
    };
}
inline InteracaoRoteirizada::RoteiroDialogo digitarEFechar(const QString& codigo) {
    return [codigo](QDialog& d) {
        QTest::keyClicks(d.findChild<QLineEdit*>(QStringLiteral("EdtCodigo")), codigo);
    };
}

inline QColor cor(const QWidget* w, QPalette::ColorRole papel) {
    return w->palette().color(papel);
}
