#include "operations/teste.h"

#include "core/texto.h"
#include "sat/resposta.h"

namespace {

QString elemento(const char* nome, const QString& valor) {
    const QString n = QString::fromLatin1(nome);
    return u'<' + n + u'>' + sat::escaparTexto(valor) + QStringLiteral("</") + n + u'>';
}

template <typename Texto, typename Lista> Lista separarLinhas(const Texto& texto) {
    Lista linhas;
    qsizetype inicio = 0;
    const qsizetype fim = texto.size();
    while (inicio < fim) {
        qsizetype i = inicio;
        while (i < fim && texto[i] != u'\r' && texto[i] != u'\n')
            ++i;
        linhas.append(texto.mid(inicio, i - inicio));
        if (i < fim && texto[i] == u'\r' && i + 1 < fim && texto[i + 1] == u'\n')
            ++i;
        inicio = i + 1;
    }
    return linhas;
}

} // namespace

QString documentoTeste(VarianteTeste variante, const DadosTeste& dados) {
    const bool producao = variante == VarianteTeste::Producao;
    QString doc =
        QStringLiteral(R"(<?xml version="1.0" encoding="UTF-8"?><CFe><infCFe versaoDadosEnt="0.08"><ide>)");
    doc += elemento("CNPJ", producao ? aparar(dados.cnpjSoftwareHouse) : QString(14, u'0'));
    doc += elemento("signAC", producao ? aparar(dados.assinatura) : QString(344, u'0'));
    doc += QStringLiteral("<numeroCaixa>099</numeroCaixa></ide><emit>");
    doc += elemento("CNPJ", aparar(dados.cnpjContribuinte));
    doc += elemento("IE", producao ? aparar(dados.ieContribuinte) : QString(12, u'0'));
    doc += QStringLiteral("<cRegTribISSQN>1</cRegTribISSQN><indRatISSQN>N</indRatISSQN></emit>");
    doc += producao ? QStringLiteral("<dest><CNPJ>11222333000181</CNPJ></dest>") : QStringLiteral("<dest/>");
    doc += QStringLiteral(
        R"(<det nItem="1"><prod><cProd>001</cProd><xProd>MiniPc Brisel</xProd><CFOP>5001</CFOP><uCom>UN</uCom>)"
        R"(<qCom>1.0000</qCom><vUnCom>654.320</vUnCom><indRegra>A</indRegra></prod><imposto>)"
        R"(<vItem12741>1.00</vItem12741><ICMS><ICMS00><Orig>0</Orig><CST>00</CST><pICMS>12.00</pICMS></ICMS00></ICMS>)"
        R"(<PIS><PISAliq><CST>01</CST><vBC>654.32</vBC><pPIS>0.0600</pPIS></PISAliq></PIS>)"
        R"(<COFINS><COFINSAliq><CST>01</CST><vBC>654.32</vBC><pCOFINS>0.0400</pCOFINS></COFINSAliq></COFINS>)"
        R"(</imposto></det><total><vCFeLei12741>1.00</vCFeLei12741></total>)"
        R"(<pgto><MP><cMP>01</cMP><vMP>2000.00</vMP></MP></pgto></infCFe></CFe>)");
    return doc;
}

QByteArrayList linhasDeBytes(const QByteArray& texto) {
    return separarLinhas<QByteArray, QByteArrayList>(texto);
}

QStringList linhasDeTexto(const QString& texto) {
    return separarLinhas<QString, QStringList>(texto);
}

QByteArray cfeDaVenda(const QByteArray& retorno) {
    QByteArray umCampoPorLinha = retorno;
    umCampoPorLinha.replace('|', '\n');
    const QByteArrayList linhas = linhasDeBytes(umCampoPorLinha);
    QByteArray base64;
    for (qsizetype i = 5; i <= linhas.size() - 6; ++i)
        base64 += linhas[i];
    return QByteArray::fromBase64(base64);
}

QByteArray conteudoCFe(const QByteArrayList& linhas) {
    QByteArray bytes;
    for (const QByteArray& linha : linhas)
        bytes += linha + "\r\n";
    return bytes;
}

QString textoDoCfe(const QByteArray& cfe) {
    QString documento;
    for (const QString& linha : linhasDeTexto(sat::decodificar(cfe)))
        documento += linha + QStringLiteral("\r\n");
    return documento;
}

QString cfeIndentado(const QByteArray& cfe) { return sat::FormatXMLString(textoDoCfe(cfe)); }
