#pragma once

#include "operations/teste.h"

#include <optional>
#include <QByteArray>
#include <QByteArrayList>
#include <QString>
#include <QStringList>
#include <QWidget>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class ServicosDaPagina;
class TFFimAFim;

// Page 5: the end-to-end tests of the device, the queries of earlier sessions and the
// CF-e they return. Every library call of the console leaves its session number in
// the session box `Edit1`, the input of "Consulta Sessão".
class TabTeste final : public QWidget {
    Q_OBJECT
public:
    explicit TabTeste(ServicosDaPagina& servicos, QWidget* parent = nullptr);

    // Side-bar "Testes": an empty page, "Abrir no Navegador" disabled until a test
    // returns a CF-e.
    void BtnTestefimafimClick();

    void BtnTesteAtivacaoClick();
    void BtnTesteProducaoClick();
    void BtnSessaoClick();
    void BtnSessaoFiscalClick();
    // Opens CFe.xml with its associated program, when there is one and the memo shows
    // something.
    void BtnNavegClick();

    // The file the tests and queries write, beside the executable.
    QString arquivoCFe() const;

private:
    // Empties the memo and asks for the activation code (every test and query starts
    // so); true when the user confirmed it.
    bool pedirCodigo();
    void testar(VarianteTeste variante);
    // The signature the production test sends: the typed text, or the text of the
    // chosen file. Nothing (the user already told why) when it cannot be had.
    std::optional<QString> assinaturaDeProducao();
    void mostrarCFeDoTeste(const QByteArrayList& campos);
    void consultar(bool fiscal);
    void mostrarVenda(const QByteArrayList& campos, QByteArrayList& linhasDoArquivo);
    bool gravarCFe(const QByteArrayList& linhas);
    void adicionarLinhas(const QStringList& linhas);

    ServicosDaPagina& servicos_;
    TFFimAFim* FFimAFim;
    QLabel* Panel4;
    QPlainTextEdit* MemoCFe;
    QPushButton* BtnTesteAtivacao;
    QPushButton* BtnTesteProducao;
    QPushButton* BtnNaveg;
    QLineEdit* Edit1;
    QPushButton* BtnSessao;
    QPushButton* BtnSessaoFiscal;
};
