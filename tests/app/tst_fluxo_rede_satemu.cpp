// The console driven against the emulated device, loaded from a folder as at start-up:
// an activated device associated with the commercial application (signature from a
// file), its network set to a fixed address, and the status report showing it.
#include "fluxosatemu.h"
#include "settings/checkconfigs.h"

#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

class TestFluxoRedeSatemu : public FluxoSatemu {
    Q_OBJECT
private slots:
    void init();
    void associarEConfigurarIpFixo();

private:
    QStringList relatorio(const QString& codigo);
    QStringList enviarRede(const QStringList& enderecos);
};

void TestFluxoRedeSatemu::init() {
    // As at start-up: the default files first, then the window, shown so that pages run
    // their show handlers.
    abrirNoSatemu(true, true);
    QVERIFY(ui_.exibidos.isEmpty());
}

QStringList TestFluxoRedeSatemu::relatorio(const QString& codigo) {
    ui_.dialogos.push_back([codigo](QDialog& prompt) {
        prompt.findChild<QLineEdit*>(QStringLiteral("EdtCodigo"))->setText(codigo);
        prompt.findChild<QPushButton*>(QStringLiteral("BtnTrocarCod"))->click();
    });
    controle<QPushButton>("BitBtnStatus")->click();
    return controle<QPlainTextEdit>("MemoStatus")->toPlainText().split(u'\n');
}

// Sends IP FIXO with the address, mask, gateway and name servers; the messages shown.
QStringList TestFluxoRedeSatemu::enviarRede(const QStringList& enderecos) {
    ui_.exibidos.clear();
    controle<QPushButton>("BtnPrincipal")->click();
    controle<QPushButton>("BtnConfRede")->click();
    controle<QComboBox>("CbotipoLan")->setCurrentIndex(1);
    const char* nomes[] = {"EdtlanIP", "EdtlanMask", "EdtlanGW", "EdtlanDNS1", "EdtlanDNS2"};
    for (int i = 0; i < 5; ++i)
        controle<QLineEdit>(nomes[i])->setText(enderecos.value(i));
    controle<QLineEdit>("LblEdtCodRede")->setText(QStringLiteral("12345678"));
    controle<QPushButton>("BitBtn4")->click();
    return ui_.mensagens();
}

void TestFluxoRedeSatemu::associarEConfigurarIpFixo() {
    // Activation for a taxpayer in SP.
    QVERIFY(ativar(QStringLiteral("12345678")));

    // Association: the taxpayer comes from the activation; the signature (344 Base64
    // characters, as an RSA-2048 signature) from a file written over several lines.
    const QByteArray assinatura = QByteArray(256, '\x5a').toBase64();
    QCOMPARE(assinatura.size(), 344);
    const QString arquivo = pasta_->filePath(QStringLiteral("assinatura.txt"));
    {
        QFile f(arquivo);
        QVERIFY(f.open(QIODevice::WriteOnly));
        for (qsizetype i = 0; i < assinatura.size(); i += 76)
            QVERIFY(f.write(assinatura.mid(i, 76) + "\r\n") > 0);
    }
    controle<QPushButton>("BtnAssocAssin")->click();
    QCOMPARE(controle<QLineEdit>("EdtCNPJContrib2")->text(), QStringLiteral("11.222.333/0001-81"));
    controle<QLineEdit>("EdtCodAtiv3")->setText(QStringLiteral("12345678"));
    controle<QLineEdit>("EdtCNPJSw")->setText(QStringLiteral("11444777000161"));
    controle<QRadioButton>("rgAssinaturaItem1")->click();
    ui_.arquivos.push_back(arquivo);
    controle<QPushButton>("Button3")->click();
    controle<QPushButton>("BitAssociar")->click();
    QCOMPARE(ui_.mensagens(), (QStringList{QString::fromLatin1(assinatura),
                                           QStringLiteral("13000: Assinatura do AC Registrada")}));
    QCOMPARE(janela_->cds().text(u"CNPJSH"), QStringLiteral("11444777000161"));
    QCOMPARE(janela_->cds().text(u"Assinatura"), QString::fromLatin1(assinatura));

    // An address whose gateway lies outside its network: the device refuses, the page
    // says so, and the device keeps DHCP.
    const QStringList recusa =
        enviarRede({QStringLiteral("192.168.15.20"), QStringLiteral("255.255.255.0"),
                    QStringLiteral("10.0.0.1"), QStringLiteral("192.168.15.1"), QString()});
    QCOMPARE(recusa.size(), 1);
    QVERIFY2(recusa.first().startsWith(QStringLiteral("12002: ")), qPrintable(recusa.first()));
    QVERIFY(relatorio(QStringLiteral("12345678")).contains(QStringLiteral(" TIPO_LAN ......... DHCP")));

    // A fixed address the device accepts.
    const QStringList aceite = enviarRede({QStringLiteral("192.168.15.20"), QStringLiteral("255.255.255.0"),
                                           QStringLiteral("192.168.15.1"), QStringLiteral("192.168.15.1"),
                                           QStringLiteral("8.8.4.4")});
    QCOMPARE(aceite, QStringList{QStringLiteral("12000: Rede Configurada")});
    QCOMPARE(controle<QLineEdit>("LblEdtCodRede")->text(), QString());
    QFile confRede(pasta_->filePath(QStringLiteral("ConfRede.xml")));
    QVERIFY(confRede.open(QIODevice::ReadOnly));
    QCOMPARE(confRede.readAll(),
             QByteArray("<?xml version=\"1.0\" encoding=\"utf-8\"?><config><tipoInter>ETHE</tipoInter>"
                        "<tipoLan>IPFIX</tipoLan><lanIP>192.168.15.20</lanIP><lanMask>255.255.255.0</lanMask>"
                        "<lanGW>192.168.15.1</lanGW><lanDNS1>192.168.15.1</lanDNS1><lanDNS2>8.8.4.4</lanDNS2>"
                        "<proxy>0</proxy></config>\r\n"));

    // The status report shows the addresses as the device gives them, three digits per octet.
    ui_.exibidos.clear();
    const QStringList linhas = relatorio(QStringLiteral("12345678"));
    QVERIFY2(ui_.mensagens().isEmpty(), qPrintable(ui_.mensagens().join(u'\n')));
    for (const char* linha : {" TIPO_LAN ......... IPFIX", " LAN_IP ........... 192.168.015.020",
                              " LAN_MASK ......... 255.255.255.000", " LAN_GW ........... 192.168.015.001",
                              " LAN_DNS_1 ........ 192.168.015.001", " LAN_DNS_2 ........ 008.008.004.004"})
        QVERIFY2(linhas.contains(QString::fromLatin1(linha)), linha);

    // The settings reach Parametros.xml at the end of the run and fill the page again.
    janela_->gravarParametros();
    QVERIFY(ui_.mensagens().isEmpty());
    controle<QPushButton>("BtnPrincipal")->click();
    controle<QLineEdit>("EdtlanIP")->clear();
    controle<QPushButton>("BtnConfRede")->click();
    QCOMPARE(controle<QComboBox>("CbotipoLan")->currentText(), QStringLiteral("IP FIXO"));
    QCOMPARE(controle<QLineEdit>("EdtlanIP")->text(), QStringLiteral("192.168.15.20"));
    QVERIFY(controle<QLineEdit>("EdtlanIP")->isEnabled());
}

QTEST_MAIN(TestFluxoRedeSatemu)
#include "tst_fluxo_rede_satemu.moc"
