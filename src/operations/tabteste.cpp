#include "operations/tabteste.h"

#include "app/servicos.h"
#include "operations/pagina.h"

#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>

TabTeste::TabTeste(ServicosDaPagina& servicos, QWidget* parent) : QWidget(parent), servicos_(servicos) {
    pagina::preparar(this, "TabTeste");
    pagina::criarPainelTitulo(this, "Panel4", QString());

    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setMaxLength(6);
    Edit1->setAlignment(Qt::AlignCenter);
    Edit1->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,6}")), Edit1));
    Edit1->setGeometry(440, 360, 70, 21);
    auto* rotuloSessao = new QLabel(QStringLiteral("Sessão:"), this);
    rotuloSessao->setObjectName(QStringLiteral("Label1"));
    rotuloSessao->setBuddy(Edit1);
    rotuloSessao->setGeometry(440, 343, 70, 16);
}

void TabTeste::BtnTestefimafimClick() {
    servicos_.selecionarPagina(5);
}
