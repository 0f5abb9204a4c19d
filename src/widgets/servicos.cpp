#include "widgets/servicos.h"

#include <QAbstractButton>

void ServicosDaPagina::aoClicar(QAbstractButton* botao, std::function<void()> comando) {
    QObject::connect(botao, &QAbstractButton::clicked, botao,
                     [this, comando = std::move(comando)] { protegido(comando); });
}
