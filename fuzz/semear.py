#!/usr/bin/env python3
"""Writes the seed corpora of fuzz/corpus/ from the fixtures the tests use.

Run from anywhere: python3 fuzz/semear.py. The files are small and committed; the
fuzzers add what they find to a working corpus of their own (build-fuzz/corpus/).
"""
import base64
import os

AQUI = os.path.dirname(os.path.abspath(__file__))
CODIGO = b"12345678"
CONTRIBUINTE = b"11222333000181"
SOFTWARE_HOUSE = b"11444777000161"
ASSINATURA = base64.b64encode(bytes((i * 37 + 11) & 0xFF for i in range(256)))


def gravar(alvo, nome, dados):
    pasta = os.path.join(AQUI, "corpus", alvo)
    os.makedirs(pasta, exist_ok=True)
    with open(os.path.join(pasta, nome), "wb") as f:
        f.write(dados)


# The library's answers (tests/sat/tst_resposta.cpp, tests/pages/).
respostas = {
    "vazia": b"",
    "sem-separador": b"08000",
    "separador": b"|",
    "termina-separador": b"1|08000|",
    "dois-seguidos": b"1||x",
    "brancos-quebras": b' 1 |"a b"|l1\r\nl2',
    "tipica": "123456|08000|SAT em operação|||".encode(),
    "nao-utf8": b"1|\xff\xfe|z",
    "sefaz": b"1|08000|ok|123|Mensagem da SEFAZ|",
    "sefaz-sem-mensagem": b"1|08000|ok|123",
    "alerta-cinco-campos": b"1|13001|0000|msg|777",
    "alerta-sefaz": b"1|13000|0001|Assinado|888|Aviso|",
    "latin1": b"1|08000|ok|9|Opera\xe7\xe3o",
    "longa-emoji": b"1|08000|" + b"\xf0\x9f\x98\x80" * 120,
    "separadores-brancos": b"| l1\r\n  l2\r\n",
}
for nome, dados in respostas.items():
    gravar("resposta", nome, dados)

# Status answers (tests/pages/tst_status.cpp).
status = [b"900004019", b"DHCP", b"192.168.1.10", b"00:11:22:33:44:55", b"255.255.255.0", b"192.168.1.1",
          b"8.8.8.8", b"8.8.4.4", "Conectado à SEFAZ".encode(), b"ALTO", b"4 GB", b"26 MB", b"20240315143005",
          b"01.00.00", b"00.07", b"35240311222333000181590000040190000011234567", b"000000", b"000000",
          b"20240315120000", b"20240315140000", b"20230101", b"20280101", b"0"]
cabecalho = b"000123|10000|Resposta com sucesso||"
gravar("status", "completo", b"|".join([cabecalho] + status))
gravar("status", "so-cabecalho", cabecalho)
gravar("status", "dh-ultima-vazio", b"|".join([cabecalho] + status[:19] + [b""] + status[20:]))
gravar("status", "estado-desconhecido", b"|".join([cabecalho] + status[:22] + [b"7", b"extra"]))
gravar("status", "recusa", b"000123|10001|Codigo de ativacao invalido|||")

# XML texts: FormatXMLString's fixtures and the documents the console shows.
def documento_teste():
    return (b'<?xml version="1.0" encoding="UTF-8"?><CFe><infCFe versaoDadosEnt="0.08"><ide><CNPJ>'
            + b"0" * 14 + b"</CNPJ><signAC>" + b"0" * 344
            + b"</signAC><numeroCaixa>099</numeroCaixa></ide><emit><CNPJ>" + CONTRIBUINTE
            + b"</CNPJ><IE>000000000000</IE><cRegTribISSQN>1</cRegTribISSQN><indRatISSQN>N</indRatISSQN></emit>"
            b'<dest/><det nItem="1"><prod><cProd>001</cProd><xProd>MiniPc Brisel</xProd><CFOP>5001</CFOP>'
            b"<uCom>UN</uCom><qCom>1.0000</qCom><vUnCom>654.320</vUnCom><indRegra>A</indRegra></prod><imposto>"
            b"<vItem12741>1.00</vItem12741><ICMS><ICMS00><Orig>0</Orig><CST>00</CST><pICMS>12.00</pICMS>"
            b"</ICMS00></ICMS><PIS><PISAliq><CST>01</CST><vBC>654.32</vBC><pPIS>0.0600</pPIS></PISAliq></PIS>"
            b"<COFINS><COFINSAliq><CST>01</CST><vBC>654.32</vBC><pCOFINS>0.0400</pCOFINS></COFINSAliq></COFINS>"
            b"</imposto></det><total><vCFeLei12741>1.00</vCFeLei12741></total><pgto><MP><cMP>01</cMP>"
            b"<vMP>2000.00</vMP></MP></pgto></infCFe></CFe>")


def venda():
    item = (b"<prod><cProd>A1</cProd><xProd>Caneta</xProd><CFOP>5102</CFOP><uCom>UN</uCom><qCom>1.0000</qCom>"
            b"<vUnCom>10.00</vUnCom><indRegra>A</indRegra></prod><imposto><ICMS><ICMS00><Orig>0</Orig>"
            b"<CST>00</CST><pICMS>18.00</pICMS></ICMS00></ICMS><PIS><PISNT><CST>04</CST></PISNT></PIS><COFINS>"
            b"<COFINSNT><CST>04</CST></COFINSNT></COFINS></imposto>")
    return (b'<CFe><infCFe versaoDadosEnt="0.08"><ide><CNPJ>' + SOFTWARE_HOUSE + b"</CNPJ><signAC>" + ASSINATURA
            + b"</signAC><numeroCaixa>001</numeroCaixa></ide><emit><CNPJ>" + CONTRIBUINTE
            + b"</CNPJ><IE>111111111111</IE><indRatISSQN>N</indRatISSQN></emit><dest/>"
            + b'<det nItem="1">' + item + b"</det><total/><pgto><MP><cMP>01</cMP><vMP>10.00</vMP></MP></pgto>"
            b"</infCFe></CFe>")


def cancelamento(chave=b"@chave"):
    return (b'<CFeCanc><infCFe chCanc="' + chave + b'"><ide><CNPJ>' + SOFTWARE_HOUSE + b"</CNPJ><signAC>"
            + ASSINATURA + b"</signAC><numeroCaixa>001</numeroCaixa></ide><emit/><dest/><total/></infCFe>"
            b"</CFeCanc>")


REDE = (b'<?xml version="1.0" encoding="utf-8"?><config><tipoInter>ETHE</tipoInter><tipoLan>IPFIX</tipoLan>'
        b"<lanIP>10.0.0.5</lanIP><lanMask>255.255.255.0</lanMask><lanGW>10.0.0.1</lanGW><lanDNS1>8.8.8.8</lanDNS1>"
        b"<lanDNS2>8.8.4.4</lanDNS2><proxy>1</proxy><proxy_ip>10.0.0.9</proxy_ip><proxy_porta>3128</proxy_porta>"
        b"<proxy_user>u</proxy_user><proxy_senha>s</proxy_senha></config>")

xml = {
    "declaracao-aninhamento": b'<?xml version="1.0" encoding="UTF-8"?><CFe><infCFe Id="CFe1" versao="0.07">'
                              b"<ide><cUF>35</cUF><obs/></ide><total>10.00</total></infCFe></CFe>",
    "standalone": b"<?xml version='1.0' standalone='yes'?>\n<a>\n  <b>x &amp; y</b>\n</a>\n",
    "namespace-escapes": b'<Signature xmlns="http://www.w3.org/2000/09/xmldsig#"><v a="&quot;&lt;">1</v>'
                         b"</Signature>",
    "texto-misto": b"<a>x<b/>y</a>",
    "invalido": b"<a><b></a>",
    "comentario-pi": b"<?xml version=\"1.0\"?><!-- c --><a><?pi dados?><![CDATA[<x>]]></a>",
    "teste-fim-a-fim": documento_teste(),
    "rede": REDE,
}
for nome, dados in xml.items():
    gravar("formatxml", nome, dados)
for nome in ("declaracao-aninhamento", "namespace-escapes", "texto-misto", "comentario-pi", "rede"):
    gravar("satemu_xml", nome, xml[nome])
gravar("satemu_xml", "venda", venda())
gravar("satemu_xml", "cancelamento", cancelamento())

# Parametros.xml (tests/settings/).
CAMPOS = b"".join(
    b'<FIELD attrname="%s" fieldtype="string" WIDTH="%d"/>' % (n, w) for n, w in [
        (b"tipoInter", 4), (b"SSID", 32), (b"seg", 8), (b"codigo", 64), (b"tipoLan", 8), (b"lanIP", 15),
        (b"lanMask", 15), (b"lanGW", 15), (b"lanDNS1", 15), (b"lanDNS2", 15), (b"usuario", 64), (b"senha", 64),
        (b"proxy", 1), (b"proxy_ip", 15), (b"proxy_porta", 5), (b"proxy_user", 64), (b"proxy_senha", 64),
        (b"CNPJContribuinte", 14), (b"uf", 2)]) + (
    b'<FIELD attrname="TipoCert" fieldtype="i4"/><FIELD attrname="CSR" fieldtype="bin.hex" SUBTYPE="Text" '
    b'WIDTH="1024"/><FIELD attrname="Assinatura" fieldtype="string.uni" WIDTH="688"/>'
    b'<FIELD attrname="CNPJSH" fieldtype="string" WIDTH="14"/>')


def pacote(params, linhas, campos=CAMPOS, declaracao=b'<?xml version="1.0" standalone="yes"?>'):
    return (declaracao + b'  <DATAPACKET Version="2.0"><METADATA><FIELDS>' + campos + b"</FIELDS>" + params
            + b"</METADATA><ROWDATA>" + linhas + b"</ROWDATA></DATAPACKET>\r\n")


PADRAO = pacote(b'<PARAMS CHANGE_LOG="1 0 4"/>',
                b'<ROW RowState="4" tipoInter="ETHE" SSID="" codigo="" tipoLan="DHCP" lanIP="" lanMask="" lanGW="" '
                b'lanDNS1="" lanDNS2="" usuario="" senha="" proxy="0" proxy_ip="" proxy_porta="" proxy_user="" '
                b'proxy_senha="" uf="35"/>')
parametros = {
    "padrao": PADRAO,
    "editado-duas-vezes": pacote(b'<PARAMS CHANGE_LOG="1 0 4 2 1 8 3 2 8"/>',
                                 b'<ROW RowState="1" SSID="a"/><ROW RowState="9" SSID="b"/>'
                                 b'<ROW RowState="8" SSID="c" uf="25"/>'),
    "linha-apagada": pacote(b'<PARAMS CHANGE_LOG="1 0 2 2 0 4"/>', b'<ROW RowState="2" SSID="x"/><ROW SSID="y"/>'),
    "sem-linhas": pacote(b"<PARAMS/>", b""),
    "duas-linhas": pacote(b"<PARAMS/>", b'<ROW SSID="primeira"/><ROW SSID="segunda"/>'),
    "utf8-bom": b"\xef\xbb\xbf" + pacote(b"<PARAMS/>", "<ROW SSID=\"ação\" Assinatura=\"Ω\"/>".encode(),
                                         declaracao=b'<?xml version="1.0" encoding="UTF-8" standalone="yes"?>'),
    "8-bits": pacote(b"<PARAMS/>", b'<ROW SSID="\x80 \xe7"/>'),
    "escapes": pacote(b"<PARAMS/>",
                      b'<ROW SSID="a&#013;&#010;b&#009;c&#092;d&amp;&lt;&gt;&quot;&apos;&#231;"/>'),
    "memo-inteiro": pacote(b'<PARAMS LCID="1046"/>',
                           b'<ROW TipoCert="3" CSR="-----BEGIN&#013;&#010;MII=" Assinatura="abc"/>'),
    "coluna-propria": pacote(b"<PARAMS/>", b'<ROW extra="1" SSID="x"/>',
                             campos=CAMPOS + b'<FIELD attrname="extra" fieldtype="i2"/>'),
    "latin1-declarado": pacote(b"<PARAMS/>", b'<ROW SSID="\xe7"/>',
                               declaracao=b'<?xml version="1.0" encoding="ISO-8859-1"?>'),
    "entidade-desconhecida": pacote(b"<PARAMS/>", b'<ROW SSID="&nbsp;"/>'),
}
for nome, dados in parametros.items():
    gravar("parametros", nome, dados)

# satemu: a series of calls (see fuzz_satemu.cpp for the layout).
RS, US = b"\x1e", b"\x1f"


def passo(funcao, *argumentos):
    return bytes([funcao]) + b"".join(US + a for a in argumentos)


def serie(inicio, *passos):
    return bytes([inicio]) + b"".join(RS + p for p in passos)


gravar("satemu", "consulta-fabrica", serie(0, passo(3)))
gravar("satemu", "ativar", serie(0, passo(14, b"", b"1", CODIGO, CONTRIBUINTE, b"35"), passo(5, b"", CODIGO)))
gravar("satemu", "ativar-icp", serie(0, passo(14, b"", b"2", CODIGO, CONTRIBUINTE, b"35"),
                                     passo(0, b"", CODIGO, base64.b64encode(b"\x30\x82" + b"\x01" * 80))))
gravar("satemu", "associar", serie(1, passo(7, b"", CODIGO, SOFTWARE_HOUSE + CONTRIBUINTE, ASSINATURA)))
gravar("satemu", "teste", serie(1, passo(4, b"", CODIGO, documento_teste()), passo(9, b"", CODIGO)))
gravar("satemu", "venda", serie(2, passo(1, b"", CODIGO, venda()), passo(16, b"", CODIGO)))
gravar("satemu", "cancelamento", serie(3, passo(2, b"", CODIGO, b"@chave", cancelamento()), passo(6, b"", CODIGO,
                                                                                                   b"101")))
gravar("satemu", "rede", serie(1, passo(13, b"", CODIGO, REDE), passo(5, b"", CODIGO)))
gravar("satemu", "bloqueio", serie(1, passo(10, b"", CODIGO), passo(11, b"", CODIGO), passo(8, b"", CODIGO)))
gravar("satemu", "troca-codigo", serie(1, passo(12, b"", b"EMERGENCIA-SATEMU", b"2", b"87654321", b"87654321"),
                                       passo(15, b"", b"SERIAL")))
gravar("satemu", "sessao-invalida", serie(0, passo(3, b"0"), passo(5, b"1000000")))
gravar("satemu", "argumentos-nulos", serie(1, passo(14), passo(7), passo(2), passo(12)))
gravar("satemu", "estado-a-mao", serie(0, passo(17, b"SATEMU-ESTADO 1\nserie=900004020\nestado_operacao=1\n"
                                                    b"[log]\n[sessoes]\n[fim]\n"), passo(3), passo(5, b"", CODIGO)))
gravar("satemu", "falhas", serie(1, passo(18, b"code.ConsultarSAT=08098\ncode_count=1\nmalformed=bad_utf8\n"
                                              b"sefaz_code=1\nalert=0001\n"), passo(3), passo(9, b"", CODIGO)))

# Session queries and sales (tests/pages/tst_consultasessao.cpp): the answer as
# the device gives it, the CF-e in Base64 in field 6 (split over two fields, too).
CFE_VENDA = base64.b64encode(venda())
meio = len(CFE_VENDA) // 2
FIM_VENDA = b"|20240315143005|@chave|35240311222333000181590000040190000011234567|10.00||"
sessoes = {
    "venda": b"123456|06000|0000|Emitido com sucesso + conteudo notas.|" + b"|" + CFE_VENDA + FIM_VENDA,
    "venda-dividida": b"123456|06000|0000|Emitido|||" + CFE_VENDA[:meio] + b"|" + CFE_VENDA[meio:] + FIM_VENDA,
    "venda-linhas": b"123456|06000|0000|Emitido|\r\n|" + CFE_VENDA + b"\r\n" + FIM_VENDA[1:],
    "cancelamento": b"123457|07000|0000|Cancelado|||" + base64.b64encode(cancelamento()) + FIM_VENDA,
    "recusa": b"000777|11003|Sessao nao existe|||",
    "teste": b"000123|09000|Emitido com sucesso|||" + base64.b64encode(documento_teste()) + FIM_VENDA,
    "teste-crlf": b"000123|09000|ok|||" + base64.b64encode(b"<CFe>\r\n<a>x</a>\r</CFe>\n"),
    "quebras": b"a\rb\r\n\r\nc\n\r",
    "nao-utf8": b"1|06000|\xff\xfe|\xe7|||\x80",
}
for nome, dados in sessoes.items():
    gravar("sessao", nome, dados)

# Device logs (tests/operations/tst_conteudolog.cpp): the first byte chooses the form
# (fuzz_log.cpp), 0 for the log's bytes.
INICIO = b"SAT|info|==================== SuperLog ====================="
INICIO_DUVRA = b"SAT|info|================= SuperLog DUVRA =================="
FIM = b"SAT|info|==================================================="
DATA = b"20240315143005|000001|"  # 22 bytes, the cut is at 24


def linha(texto):
    return DATA + b"  " + texto + b"\n"


logs = {
    "vazio": b"",
    "simples": linha(b"SAT|info|ligado") + linha(b"SAT|info|pronto"),
    "superlog": linha(b"antes") + linha(INICIO) + linha(b"SAT|info|estado") + linha(FIM) + linha(b"depois"),
    "superlog-duvra-ultimo": linha(INICIO) + linha(b"a") + linha(FIM) + linha(INICIO_DUVRA) + linha(b"b")
    + DATA + b"  " + FIM,
    "superlog-sem-fim": linha(INICIO) + linha(b"a"),
    "crlf-utf8": "20240315143005|000001|  SAT|info|operação\r\n".encode() * 3,
    "quebras-do-widget": linha("a\u2028b\u2029c\ufdd0d\re".encode()),
    "nao-utf8-bom": b"\xef\xbb\xbf" + linha(b"\xff\xc3") + b"\xe2\x82",
}
for nome, dados in logs.items():
    gravar("log", nome, b"\x00" + dados)
gravar("log", "longo", b"\x02" + linha(b"x" * 40)[:-1])
gravar("log", "base64-com-lixo", b"\x01" + base64.b64encode(logs["superlog"])[:40] + b"\r\n*" + base64.b64encode(
    logs["superlog"])[40:])

# ConfRede.xml and the network values (fuzz_confrede.cpp: the values in field order,
# separated by NUL).
def rede(*valores):
    return b"\x00".join(valores)


gravar("confrede", "documento", REDE + b"\r\n")
gravar("confrede", "padrao", rede(b"ETHE", b"", b"", b"", b"DHCP", b"", b"", b"", b"", b"", b"", b"", b"0"))
gravar("confrede", "wifi-ipfix-proxy", rede(b"WIFI", "Café & <rede>".encode(), b"WPA2", b"segredo", b"IPFIX",
                                            b"10.0.0.5", b"255.255.255.0", b"10.0.0.1", b"8.8.8.8", b"8.8.4.4",
                                            b"", b"", b"1", b"10.0.0.9", b"3128", b"u", b"s"))
gravar("confrede", "wifi-aberta-pppoe", rede(b"WIFI", b"aberta", b"NONE", b"ignorado", b"PPPoE", b"", b"", b"",
                                             b"", b"", b"usuario", b"a\tb", b"2"))
gravar("confrede", "quebras", rede(b"WIFI", b"a\r\nb", b"WEP", b"c\rd\ne", b"DHCP"))
