#pragma once

// What the flows against the emulated device share: a main window on satemu, linked
// as SAT_x64.DLL into a temporary folder where the device also keeps its state, the
// scripted user, and the steps every flow repeats (the code prompt, the activation).
// A test that includes this is built with SATEMU_BIBLIOTECA, satemu's path.

#include "app/tfativacao.h"
#include "interacaoroteirizada.h"
#include "settings/checkconfigs.h"

#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

// satemu under the name the console loads: a link on Linux (the console shows the
// version its target's name carries), a copy on Windows (the version is the DLL's own
// resource, and a loader follows no .lnk shortcut).
inline bool colocarSatemu(const QString& destino) {
#if defined(Q_OS_WIN)
    return QFile::copy(QStringLiteral(SATEMU_BIBLIOTECA), destino);
#else
    return QFile::link(QStringLiteral(SATEMU_BIBLIOTECA), destino);
#endif
}

class FluxoSatemu : public QObject {
protected:
    // A new device in a new folder, and the window on it. With `arquivosPadrao` the
    // default settings files are written first, as at start-up; `mostrar` shows the
    // window so that pages run their show handlers. A set-up that fails ends the run.
    void abrirNoSatemu(bool arquivosPadrao = false, bool mostrar = false) {
        ui_ = InteracaoRoteirizada();
        pasta_ = std::make_unique<QTemporaryDir>();
        qputenv("SATEMU_HOME", pasta_->path().toLocal8Bit());
        if (!colocarSatemu(pasta_->filePath(QStringLiteral("SAT_x64.DLL"))))
            qFatal("could not put satemu into the test folder");
        if (arquivosPadrao) {
            QStringList mensagens;
            settings::CheckConfigs(pasta_->path(), [&mensagens](const QString& m) { mensagens.append(m); });
            if (!mensagens.isEmpty())
                qFatal("the default files were not written: %s", qPrintable(mensagens.join(u'\n')));
        }
        janela_ = std::make_unique<TFAtivacao>(
            ui_,
            TFAtivacao::Opcoes{pasta_->path(), std::nullopt, pasta_->filePath(QStringLiteral("Parametros.xml"))});
        if (janela_->terminacaoSolicitada())
            qFatal("the window on satemu did not start");
        if (mostrar) {
            janela_->show();
            if (!QTest::qWaitForWindowExposed(janela_.get()))
                qFatal("the window was not shown");
        }
    }

    void fechar() {
        janela_.reset();
        pasta_.reset();
    }

    template <typename T = QWidget>
    T* controle(const char* nome) const {
        T* w = janela_->findChild<T*>(QString::fromLatin1(nome));
        if (w == nullptr)
            qFatal("no control named %s", nome);
        return w;
    }

    // The user's answer to the next activation-code prompt: the code, then "Validar".
    void digitarCodigoNoPrompt(const QString& codigo) {
        ui_.dialogos.push_back([codigo](QDialog& prompt) {
            prompt.findChild<QLineEdit*>(QStringLiteral("EdtCodigo"))->setText(codigo);
            prompt.findChild<QPushButton*>(QStringLiteral("BtnTrocarCod"))->click();
        });
    }

    // Activates the factory device for a taxpayer in SP; true when the console says so.
    [[nodiscard]] bool ativar(const QString& codigo, const QString& cnpj = QStringLiteral("11222333000181")) {
        controle<QPushButton>("BtnAtivacao")->click();
        controle<QLineEdit>("EdtCodAtiv2")->setText(codigo);
        controle<QLineEdit>("EdtCodAtiv2Conf")->setText(codigo);
        controle<QLineEdit>("EdtCNPJContrib")->setText(cnpj);
        controle<QComboBox>("cbo")->setCurrentIndex(25);
        ui_.confirmacoes.push_back(true);
        controle<QPushButton>("BtnAtivar")->click();
        const bool ativado =
            ui_.mensagens() ==
            QStringList{QStringLiteral("SAT Ativado corretamente, faltando associá-lo ao Aplic. Comercial.")};
        ui_.exibidos.clear();
        return ativado;
    }

    InteracaoRoteirizada ui_;
    std::unique_ptr<QTemporaryDir> pasta_;
    std::unique_ptr<TFAtivacao> janela_;
};
