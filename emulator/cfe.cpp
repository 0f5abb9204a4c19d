#include "cfe.h"

#include "log.h"
#include "sha256.h"
#include "text.h"

#include <cstdint>
#include <initializer_list>
#include <vector>

namespace satemu {

namespace {

using Money = std::int64_t;                  // cents
constexpr Money kMaxMoney = 999999999999999; // 13 integer digits and 2 decimals
constexpr int kMaxItems = 500;

[[noreturn]] void refuse(const std::string& why) {
    throw ContentError(why);
}

std::string where(const XmlElement& e) {
    return "<" + e.name + ">";
}

struct Slot {
    const char* name;
    int min;
    int max;
};

// Children must follow the order of `slots`, each within its occurrence limits.
void expectSequence(const XmlElement& e, std::initializer_list<Slot> slots) {
    auto it = e.children.begin();
    for (const Slot& s : slots) {
        int count = 0;
        while (it != e.children.end() && it->name == s.name) {
            ++count;
            ++it;
        }
        if (count < s.min)
            refuse("elemento <" + std::string(s.name) + "> ausente em " + where(e));
        if (count > s.max)
            refuse("elemento <" + std::string(s.name) + "> repetido em " + where(e));
    }
    if (it != e.children.end())
        refuse("elemento <" + printable(it->name, 40) + "> inesperado em " + where(e));
    if (!e.children.empty() && !e.text.empty())
        refuse("texto inesperado em " + where(e));
}

void expectLeaf(const XmlElement& e) {
    if (!e.children.empty())
        refuse(where(e) + " não pode conter elementos");
}

const std::string& digits(const XmlElement& e, std::size_t n) {
    expectLeaf(e);
    if (!isDigitsOfLength(e.text, n))
        refuse(where(e) + " deve ter " + std::to_string(n) + " dígitos");
    return e.text;
}

const std::string& textOf(const XmlElement& e, std::size_t min, std::size_t max) {
    expectLeaf(e);
    const std::size_t n = utf8Length(e.text);
    if (n < min || n > max)
        refuse(where(e) + " deve ter de " + std::to_string(min) + " a " + std::to_string(max) +
               " caracteres");
    return e.text;
}

std::int64_t decimal(const XmlElement& e, int maxInt, int minFrac, int maxFrac, int scale) {
    expectLeaf(e);
    const auto v = parseDecimal(e.text, maxInt, minFrac, maxFrac, scale);
    if (!v)
        refuse(where(e) + " fora do padrão numérico (valor '" + printable(e.text, 20) + "')");
    return *v;
}

Money money(const XmlElement& e) {
    return decimal(e, 13, 2, 2, 2);
}

Money checkedMoney(std::optional<std::int64_t> v, const char* what) {
    if (!v || *v > kMaxMoney || *v < 0)
        refuse(std::string("valor de ") + what + " fora dos limites");
    return *v;
}

Money add(Money a, Money b) {
    Money r = 0;
    if (__builtin_add_overflow(a, b, &r) || r > kMaxMoney)
        refuse("soma de valores fora dos limites");
    return r;
}

std::string fmt(Money m) {
    return formatDecimal(m, 2);
}

const XmlElement& need(const XmlElement& parent, const char* name) {
    const XmlElement* c = parent.child(name);
    if (c == nullptr)
        refuse("elemento <" + std::string(name) + "> ausente em " + where(parent));
    return *c;
}

// Copies a leaf after checking its length.
XmlElement copyText(const XmlElement& e, std::size_t min, std::size_t max) {
    return XmlElement(e.name, textOf(e, min, max));
}

// Exactly one child, whose name is one of `names`.
const XmlElement& oneOf(const XmlElement& parent, std::initializer_list<const char*> names) {
    if (parent.children.size() != 1)
        refuse(where(parent) + " deve conter exatamente um grupo");
    const XmlElement& c = parent.children.front();
    for (const char* n : names)
        if (c.name == n)
            return c;
    refuse("grupo <" + printable(c.name, 40) + "> inválido em " + where(parent));
}

struct TaxTotals {
    Money vICMS = 0, vPIS = 0, vCOFINS = 0, vPISST = 0, vCOFINSST = 0, vBCISS = 0, vISS = 0;
};

// PIS and COFINS groups share their shape; `rate` is "pPIS" or "pCOFINS", `value` "vPIS" or "vCOFINS".
XmlElement contribution(const XmlElement& in, const char* rate, const char* value, Money& amount) {
    XmlElement out(in.name);
    auto byRate = [&](const XmlElement& vBC, const XmlElement& p) {
        const Money base = money(vBC);
        const std::int64_t r = decimal(p, 1, 4, 4, 4);
        amount = checkedMoney(mulDivRound(base, r, 10000), value);
        out.add(copyText(vBC, 1, 20));
        out.add(copyText(p, 1, 20));
    };
    auto byQuantity = [&](const XmlElement& q, const XmlElement& a) {
        const std::int64_t qty = decimal(q, 12, 4, 4, 4);
        const std::int64_t aliq = decimal(a, 11, 4, 4, 4);
        amount = checkedMoney(mulDivRound(qty, aliq, 1000000), value);
        out.add(copyText(q, 1, 20));
        out.add(copyText(a, 1, 20));
    };
    const std::size_t prefix = in.name.rfind("PIS", 0) == 0 ? 3 : 6; // "PIS" or "COFINS"
    const std::string kind = in.name.substr(prefix);
    amount = 0;
    if (kind == "ST" || kind == "Outr") {
        std::size_t first = 0;
        if (kind == "Outr") {
            if (in.children.empty() || in.children.front().name != "CST")
                refuse("elemento <CST> ausente em " + where(in));
            out.add(XmlElement("CST", digits(in.children.front(), 2)));
            first = 1;
        }
        if (in.children.size() != first + 2)
            refuse(where(in) + " deve informar base e alíquota, ou quantidade e valor por unidade");
        const XmlElement& a = in.children[first];
        const XmlElement& b = in.children[first + 1];
        if (a.name == "vBC" && b.name == rate)
            byRate(a, b);
        else if (a.name == "qBCProd" && b.name == "vAliqProd")
            byQuantity(a, b);
        else
            refuse(where(in) + " deve informar base e alíquota, ou quantidade e valor por unidade");
        out.add(value, fmt(amount));
    } else if (kind == "Aliq") {
        expectSequence(in, {{"CST", 1, 1}, {"vBC", 1, 1}, {rate, 1, 1}});
        out.add(XmlElement("CST", digits(need(in, "CST"), 2)));
        byRate(need(in, "vBC"), need(in, rate));
        out.add(value, fmt(amount));
    } else if (kind == "Qtde") {
        expectSequence(in, {{"CST", 1, 1}, {"qBCProd", 1, 1}, {"vAliqProd", 1, 1}});
        out.add(XmlElement("CST", digits(need(in, "CST"), 2)));
        byQuantity(need(in, "qBCProd"), need(in, "vAliqProd"));
        out.add(value, fmt(amount));
    } else { // NT, SN
        expectSequence(in, {{"CST", 1, 1}});
        out.add(XmlElement("CST", digits(need(in, "CST"), 2)));
    }
    return out;
}

struct Item {
    const XmlElement* det = nullptr;
    Money vProd = 0, vDesc = 0, vOutro = 0, base = 0, vRatDesc = 0, vRatAcr = 0, vItem12741 = 0;
    bool has12741 = false;
    bool issqn = false;
    bool simples = false;
};

Item readItem(const XmlElement& det, int index) {
    Item item;
    item.det = &det;
    const std::string* n = det.attribute("nItem");
    if (n == nullptr || n->empty() || n->size() > 3 || !allDigits(*n) || std::stoi(*n) != index)
        refuse("atributo nItem do item " + std::to_string(index) + " deve ser " + std::to_string(index));
    expectSequence(det, {{"prod", 1, 1}, {"imposto", 1, 1}, {"infAdProd", 0, 1}});
    const XmlElement& prod = need(det, "prod");
    expectSequence(prod, {{"cProd", 1, 1},
                          {"cEAN", 0, 1},
                          {"xProd", 1, 1},
                          {"NCM", 0, 1},
                          {"CEST", 0, 1},
                          {"CFOP", 1, 1},
                          {"uCom", 1, 1},
                          {"qCom", 1, 1},
                          {"vUnCom", 1, 1},
                          {"indRegra", 1, 1},
                          {"vDesc", 0, 1},
                          {"vOutro", 0, 1},
                          {"obsFiscoDet", 0, 10}});
    const std::int64_t qCom = decimal(need(prod, "qCom"), 11, 4, 4, 4);
    const std::int64_t vUnCom = decimal(need(prod, "vUnCom"), 12, 2, 3, 3);
    item.vProd = checkedMoney(mulDivRound(qCom, vUnCom, 100000), "vProd");
    if (const XmlElement* d = prod.child("vDesc"))
        item.vDesc = money(*d);
    if (const XmlElement* o = prod.child("vOutro"))
        item.vOutro = money(*o);
    item.base = add(item.vProd, item.vOutro) - item.vDesc;
    if (item.base < 0)
        refuse("desconto maior que o valor do item " + std::to_string(index));
    const XmlElement& imposto = need(det, "imposto");
    if (const XmlElement* lei = imposto.child("vItem12741")) {
        item.vItem12741 = money(*lei);
        item.has12741 = true;
    }
    item.issqn = imposto.child("ISSQN") != nullptr;
    if (const XmlElement* icms = imposto.child("ICMS"))
        item.simples = icms->child("ICMSSN102") != nullptr || icms->child("ICMSSN900") != nullptr;
    return item;
}

XmlElement buildItem(const Item& item, TaxTotals& totals) {
    const XmlElement& det = *item.det;
    const XmlElement& prod = need(det, "prod");
    const Money vItem = item.base - item.vRatDesc + item.vRatAcr;
    if (vItem < 0)
        refuse("valor líquido do item " + *det.attribute("nItem") + " negativo");
    XmlElement out("det");
    out.attributes.emplace_back("nItem", *det.attribute("nItem"));

    XmlElement& p = out.add("prod");
    p.add(copyText(need(prod, "cProd"), 1, 60));
    if (const XmlElement* ean = prod.child("cEAN")) {
        const std::size_t n = utf8Length(textOf(*ean, 8, 14));
        if (n != 8 && n != 12 && n != 13 && n != 14)
            refuse("<cEAN> deve ter 8, 12, 13 ou 14 caracteres");
        p.add(XmlElement("cEAN", ean->text));
    }
    p.add(copyText(need(prod, "xProd"), 1, 120));
    if (const XmlElement* ncm = prod.child("NCM")) {
        const std::size_t n = utf8Length(textOf(*ncm, 2, 8));
        if (n != 2 && n != 8)
            refuse("<NCM> deve ter 2 ou 8 caracteres");
        p.add(XmlElement("NCM", ncm->text));
    }
    if (const XmlElement* cest = prod.child("CEST"))
        p.add(XmlElement("CEST", digits(*cest, 7)));
    p.add(XmlElement("CFOP", digits(need(prod, "CFOP"), 4)));
    p.add(copyText(need(prod, "uCom"), 1, 6));
    p.add(XmlElement("qCom", need(prod, "qCom").text));
    p.add(XmlElement("vUnCom", need(prod, "vUnCom").text));
    p.add("vProd", fmt(item.vProd));
    p.add(copyText(need(prod, "indRegra"), 1, 1));
    if (const XmlElement* d = prod.child("vDesc"))
        p.add(XmlElement("vDesc", d->text));
    if (const XmlElement* o = prod.child("vOutro"))
        p.add(XmlElement("vOutro", o->text));
    p.add("vItem", fmt(vItem));
    if (item.vRatDesc > 0)
        p.add("vRatDesc", fmt(item.vRatDesc));
    if (item.vRatAcr > 0)
        p.add("vRatAcr", fmt(item.vRatAcr));
    for (const XmlElement* obs : prod.childrenNamed("obsFiscoDet")) {
        expectSequence(*obs, {{"xTextoDet", 1, 1}});
        const std::string* campo = obs->attribute("xCampoDet");
        if (campo == nullptr || utf8Length(*campo) < 1 || utf8Length(*campo) > 20)
            refuse("atributo xCampoDet de <obsFiscoDet> deve ter de 1 a 20 caracteres");
        XmlElement& o = p.add("obsFiscoDet");
        o.attributes.emplace_back("xCampoDet", *campo);
        o.add(copyText(need(*obs, "xTextoDet"), 1, 60));
    }

    const XmlElement& imp = need(det, "imposto");
    expectSequence(imp, {{"vItem12741", 0, 1},
                         {"ICMS", 0, 1},
                         {"ISSQN", 0, 1},
                         {"PIS", 1, 1},
                         {"PISST", 0, 1},
                         {"COFINS", 1, 1},
                         {"COFINSST", 0, 1}});
    if ((imp.child("ICMS") != nullptr) == (imp.child("ISSQN") != nullptr))
        refuse("o item " + *det.attribute("nItem") + " deve ter o grupo ICMS ou o grupo ISSQN");
    XmlElement& i = out.add("imposto");
    if (item.has12741)
        i.add("vItem12741", fmt(item.vItem12741));
    if (const XmlElement* icms = imp.child("ICMS")) {
        const XmlElement& g = oneOf(*icms, {"ICMS00", "ICMS40", "ICMSSN102", "ICMSSN900"});
        XmlElement& oi = i.add("ICMS").add(g.name);
        if (g.name == "ICMS00")
            expectSequence(g, {{"Orig", 1, 1}, {"CST", 1, 1}, {"pICMS", 1, 1}});
        else if (g.name == "ICMS40")
            expectSequence(g, {{"Orig", 1, 1}, {"CST", 1, 1}});
        else if (g.name == "ICMSSN102")
            expectSequence(g, {{"Orig", 1, 1}, {"CSOSN", 1, 1}});
        else
            expectSequence(g, {{"Orig", 1, 1}, {"CSOSN", 1, 1}, {"pICMS", 1, 1}});
        oi.add(XmlElement("Orig", digits(need(g, "Orig"), 1)));
        if (const XmlElement* cst = g.child("CST"))
            oi.add(XmlElement("CST", digits(*cst, 2)));
        else
            oi.add(XmlElement("CSOSN", digits(need(g, "CSOSN"), 3)));
        if (const XmlElement* pICMS = g.child("pICMS")) {
            const std::int64_t rate = decimal(*pICMS, 3, 2, 2, 2);
            const Money vICMS = checkedMoney(mulDivRound(vItem, rate, 10000), "vICMS");
            oi.add(XmlElement("pICMS", pICMS->text));
            oi.add("vICMS", fmt(vICMS));
            totals.vICMS = add(totals.vICMS, vICMS);
        }
    } else {
        const XmlElement& g = need(imp, "ISSQN");
        expectSequence(g, {{"vDeducISSQN", 1, 1},
                           {"vAliq", 1, 1},
                           {"cMunFG", 0, 1},
                           {"cListServ", 0, 1},
                           {"cServTribMun", 0, 1},
                           {"cNatOp", 1, 1},
                           {"indIncFisc", 1, 1}});
        const Money deduction = money(need(g, "vDeducISSQN"));
        const XmlElement& aliq = need(g, "vAliq");
        if (aliq.text.size() != 6 || aliq.text[3] != '.')
            refuse("<vAliq> fora do padrão numérico (valor '" + printable(aliq.text, 20) + "')");
        const std::int64_t rate = decimal(aliq, 3, 2, 2, 2);
        const Money base = vItem > deduction ? vItem - deduction : 0;
        const Money vISSQN = checkedMoney(mulDivRound(base, rate, 10000), "vISSQN");
        XmlElement& oi = i.add("ISSQN");
        oi.add(XmlElement("vDeducISSQN", need(g, "vDeducISSQN").text));
        oi.add("vBC", fmt(base));
        oi.add(XmlElement("vAliq", aliq.text));
        oi.add("vISSQN", fmt(vISSQN));
        if (const XmlElement* m = g.child("cMunFG"))
            oi.add(XmlElement("cMunFG", digits(*m, 7)));
        if (const XmlElement* l = g.child("cListServ"))
            oi.add(copyText(*l, 5, 5));
        if (const XmlElement* s = g.child("cServTribMun"))
            oi.add(copyText(*s, 20, 20));
        oi.add(XmlElement("cNatOp", digits(need(g, "cNatOp"), 2)));
        const XmlElement& inc = need(g, "indIncFisc");
        if (inc.text != "1" && inc.text != "2")
            refuse("<indIncFisc> deve ser 1 ou 2");
        oi.add(XmlElement("indIncFisc", inc.text));
        totals.vBCISS = add(totals.vBCISS, base);
        totals.vISS = add(totals.vISS, vISSQN);
    }
    Money amount = 0;
    {
        XmlElement pis("PIS");
        pis.add(contribution(oneOf(need(imp, "PIS"), {"PISAliq", "PISQtde", "PISNT", "PISSN", "PISOutr"}),
                             "pPIS", "vPIS", amount));
        i.add(std::move(pis));
        totals.vPIS = add(totals.vPIS, amount);
    }
    if (const XmlElement* st = imp.child("PISST")) {
        i.add(contribution(*st, "pPIS", "vPIS", amount));
        totals.vPISST = add(totals.vPISST, amount);
    }
    {
        XmlElement cofins("COFINS");
        cofins.add(contribution(
            oneOf(need(imp, "COFINS"), {"COFINSAliq", "COFINSQtde", "COFINSNT", "COFINSSN", "COFINSOutr"}),
            "pCOFINS", "vCOFINS", amount));
        i.add(std::move(cofins));
        totals.vCOFINS = add(totals.vCOFINS, amount);
    }
    if (const XmlElement* st = imp.child("COFINSST")) {
        i.add(contribution(*st, "pCOFINS", "vCOFINS", amount));
        totals.vCOFINSST = add(totals.vCOFINSST, amount);
    }
    if (const XmlElement* inf = det.child("infAdProd"))
        out.add(copyText(*inf, 1, 500));
    return out;
}

struct Capital {
    int uf;
    const char* city;
    const char* cep;
};

constexpr Capital kCapitals[] = {
    {11, "PORTO VELHO", "76800000"},    {12, "RIO BRANCO", "69900000"},     {13, "MANAUS", "69000000"},
    {14, "BOA VISTA", "69300000"},      {15, "BELEM", "66000000"},          {16, "MACAPA", "68900000"},
    {17, "PALMAS", "77000000"},         {21, "SAO LUIS", "65000000"},       {22, "TERESINA", "64000000"},
    {23, "FORTALEZA", "60000000"},      {24, "NATAL", "59000000"},          {25, "JOAO PESSOA", "58000000"},
    {26, "RECIFE", "50000000"},         {27, "MACEIO", "57000000"},         {28, "ARACAJU", "49000000"},
    {29, "SALVADOR", "40000000"},       {31, "BELO HORIZONTE", "30000000"}, {32, "VITORIA", "29000000"},
    {33, "RIO DE JANEIRO", "20000000"}, {35, "SAO PAULO", "01000000"},      {41, "CURITIBA", "80000000"},
    {42, "FLORIANOPOLIS", "88000000"},  {43, "PORTO ALEGRE", "90000000"},   {50, "CAMPO GRANDE", "79000000"},
    {51, "CUIABA", "78000000"},         {52, "GOIANIA", "74000000"},        {53, "BRASILIA", "70000000"},
};

const Capital& capitalOf(int uf) {
    for (const auto& c : kCapitals)
        if (c.uf == uf)
            return c;
    return kCapitals[19]; // SAO PAULO
}

// Emitter data as registered at SEFAZ: the emulator's taxpayer is fictitious.
XmlElement emitter(const XmlElement& in, const Issuer& issuer, bool simples) {
    expectSequence(
        in, {{"CNPJ", 1, 1}, {"IE", 1, 1}, {"IM", 0, 1}, {"cRegTribISSQN", 0, 1}, {"indRatISSQN", 1, 1}});
    const std::string& cnpj = digits(need(in, "CNPJ"), 14);
    if (cnpj != issuer.taxpayerCnpj)
        refuse("CNPJ do emitente (" + cnpj + ") difere do contribuinte do SAT (" + issuer.taxpayerCnpj + ")");
    XmlElement out("emit");
    out.add("CNPJ", cnpj);
    out.add("xNome", "CONTRIBUINTE DE DEMONSTRACAO DO SAT EMULADO LTDA");
    XmlElement& addr = out.add("enderEmit");
    const Capital& cap = capitalOf(issuer.uf);
    addr.add("xLgr", "AVENIDA DO EMULADOR");
    addr.add("nro", "1000");
    addr.add("xBairro", "CENTRO");
    addr.add("xMun", cap.city);
    addr.add("CEP", cap.cep);
    out.add(copyText(need(in, "IE"), 2, 14));
    if (const XmlElement* im = in.child("IM"))
        out.add(copyText(*im, 1, 15));
    out.add("cRegTrib", simples ? "1" : "3");
    if (const XmlElement* r = in.child("cRegTribISSQN"))
        out.add(XmlElement("cRegTribISSQN", digits(*r, 1)));
    out.add(copyText(need(in, "indRatISSQN"), 1, 1));
    return out;
}

XmlElement customer(const XmlElement& in, std::string& doc) {
    expectSequence(in, {{"CNPJ", 0, 1}, {"CPF", 0, 1}, {"xNome", 0, 1}});
    XmlElement out("dest");
    if (in.child("CNPJ") != nullptr && in.child("CPF") != nullptr)
        refuse("<dest> deve ter CNPJ ou CPF, não ambos");
    if (const XmlElement* c = in.child("CNPJ")) {
        doc = digits(*c, 14);
        if (!isValidCnpj(doc))
            refuse("CNPJ do destinatário inválido");
        out.add("CNPJ", doc);
    } else if (const XmlElement* f = in.child("CPF")) {
        doc = digits(*f, 11);
        if (!isValidCpf(doc))
            refuse("CPF do destinatário inválido");
        out.add("CPF", doc);
    }
    if (const XmlElement* n = in.child("xNome"))
        out.add(copyText(*n, 2, 60));
    return out;
}

XmlElement delivery(const XmlElement& in) {
    expectSequence(
        in, {{"xLgr", 1, 1}, {"nro", 1, 1}, {"xCpl", 0, 1}, {"xBairro", 1, 1}, {"xMun", 1, 1}, {"UF", 1, 1}});
    XmlElement out("entrega");
    out.add(copyText(need(in, "xLgr"), 2, 60));
    out.add(copyText(need(in, "nro"), 1, 60));
    if (const XmlElement* c = in.child("xCpl"))
        out.add(copyText(*c, 1, 60));
    out.add(copyText(need(in, "xBairro"), 1, 60));
    out.add(copyText(need(in, "xMun"), 2, 60));
    out.add(copyText(need(in, "UF"), 2, 2));
    return out;
}

// Bytes derived from the seed (SHA-256 in counter mode): stands in for an RSA
// signature, which the emulated device cannot make without a real certificate.
std::string pseudoSignature(const std::string& seed, std::size_t bytes) {
    std::string out;
    for (unsigned counter = 0; out.size() < bytes; ++counter)
        out += sha256(seed + "#" + std::to_string(counter));
    out.resize(bytes);
    return out;
}

XmlElement signatureBlock(const std::string& referenceId, const std::string& signedBytes,
                          const std::string& serial) {
    XmlElement sig("Signature");
    sig.attributes.emplace_back("xmlns", "http://www.w3.org/2000/09/xmldsig#");
    XmlElement& info = sig.add("SignedInfo");
    info.add("CanonicalizationMethod")
        .attributes.emplace_back("Algorithm", "http://www.w3.org/TR/2001/REC-xml-c14n-20010315");
    info.add("SignatureMethod")
        .attributes.emplace_back("Algorithm", "http://www.w3.org/2001/04/xmldsig-more#rsa-sha256");
    XmlElement& ref = info.add("Reference");
    ref.attributes.emplace_back("URI", "#" + referenceId);
    XmlElement& transforms = ref.add("Transforms");
    transforms.add("Transform")
        .attributes.emplace_back("Algorithm", "http://www.w3.org/2000/09/xmldsig#enveloped-signature");
    transforms.add("Transform")
        .attributes.emplace_back("Algorithm", "http://www.w3.org/TR/2001/REC-xml-c14n-20010315");
    ref.add("DigestMethod").attributes.emplace_back("Algorithm", "http://www.w3.org/2001/04/xmlenc#sha256");
    const std::string digest = sha256(signedBytes);
    ref.add("DigestValue", base64Encode(digest));
    sig.add("SignatureValue",
            base64Encode(pseudoSignature("satemu-assinatura|" + serial + "|" + digest, 256)));
    return sig;
}

std::string finishDocument(XmlElement root) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>" + writeXml(root);
}

void checkVersion(const XmlElement& infCFe, const char* attribute) {
    const std::string* v = infCFe.attribute(attribute);
    if (v == nullptr || !parseDecimal(*v, 2, 2, 2, 2))
        refuse(std::string("atributo ") + attribute + " de <infCFe> ausente ou fora do padrão");
}

XmlElement identification(const XmlElement& inIde, const Issuer& issuer, const std::string& key,
                          const std::string& qrSignature) {
    XmlElement ide("ide");
    ide.add("cUF", zeroPad(issuer.uf, 2));
    ide.add("cNF", zeroPad(issuer.randomCode, 6));
    ide.add("mod", "59");
    ide.add("nserieSAT", issuer.serial);
    ide.add("nCFe", zeroPad(issuer.number, 6));
    ide.add("dEmi", timestamp14(issuer.now).substr(0, 8));
    ide.add("hEmi", timestamp14(issuer.now).substr(8));
    ide.add("cDV", key.substr(43));
    ide.add("tpAmb", "2");
    ide.add("CNPJ", digits(need(inIde, "CNPJ"), 14));
    ide.add(copyText(need(inIde, "signAC"), 1, 344));
    ide.add("assinaturaQRCODE", qrSignature);
    ide.add("numeroCaixa", digits(need(inIde, "numeroCaixa"), 3));
    return ide;
}

} // namespace

bool isValidCpf(const std::string& cpf) {
    if (!isDigitsOfLength(cpf, 11))
        return false;
    bool allSame = true;
    for (char c : cpf)
        allSame = allSame && c == cpf[0];
    if (allSame)
        return false;
    for (std::size_t len = 9; len <= 10; ++len) {
        int sum = 0;
        for (std::size_t i = 0; i < len; ++i)
            sum += (cpf[i] - '0') * static_cast<int>(len + 1 - i);
        const int r = (sum * 10) % 11;
        if ((r == 10 ? 0 : r) != cpf[len] - '0')
            return false;
    }
    return true;
}

int accessKeyCheckDigit(const std::string& first43) {
    int sum = 0;
    int weight = 2;
    for (auto it = first43.rbegin(); it != first43.rend(); ++it) {
        sum += (*it - '0') * weight;
        weight = weight == 9 ? 2 : weight + 1;
    }
    const int dv = 11 - sum % 11;
    return dv >= 10 ? 0 : dv;
}

std::string accessKey(int uf, const platform::LocalTime& t, const std::string& cnpj,
                      const std::string& serial, long long number, int randomCode) {
    std::string key = zeroPad(uf, 2) + zeroPad(t.year % 100, 2) + zeroPad(t.month, 2) + cnpj + "59" + serial +
                      zeroPad(number, 6) + zeroPad(randomCode, 6);
    key += static_cast<char>('0' + accessKeyCheckDigit(key));
    return key;
}

XmlElement parseSaleDocument(const std::string& bytes) {
    XmlElement root;
    try {
        root = parseXml(toUtf8(bytes));
    } catch (const XmlError& e) {
        refuse(e.what());
    }
    if (root.name != "CFe")
        refuse("o elemento raiz deve ser <CFe>");
    expectSequence(root, {{"infCFe", 1, 1}});
    const XmlElement& inf = need(root, "infCFe");
    checkVersion(inf, "versaoDadosEnt");
    const XmlElement& ide = need(inf, "ide");
    expectSequence(ide, {{"CNPJ", 1, 1}, {"signAC", 1, 1}, {"numeroCaixa", 1, 1}});
    digits(need(ide, "CNPJ"), 14);
    textOf(need(ide, "signAC"), 1, 344);
    digits(need(ide, "numeroCaixa"), 3);
    return root;
}

IssuedCfe buildCfe(const XmlElement& sale, const Issuer& issuer) {
    const XmlElement& inf = need(sale, "infCFe");
    expectSequence(inf, {{"ide", 1, 1},
                         {"emit", 1, 1},
                         {"dest", 1, 1},
                         {"entrega", 0, 1},
                         {"det", 1, kMaxItems},
                         {"total", 1, 1},
                         {"pgto", 1, 1},
                         {"infAdic", 0, 1}});

    // Items first: the subtotal discount or increase is shared among them.
    std::vector<Item> items;
    const auto dets = inf.childrenNamed("det");
    Money gross = 0;
    bool simples = false;
    for (std::size_t k = 0; k < dets.size(); ++k) {
        items.push_back(readItem(*dets[k], static_cast<int>(k + 1)));
        gross = add(gross, items.back().base);
        simples = simples || items.back().simples;
    }
    const XmlElement& total = need(inf, "total");
    expectSequence(total, {{"DescAcrEntr", 0, 1}, {"vCFeLei12741", 0, 1}});
    Money subtotalDiscount = 0;
    Money subtotalIncrease = 0;
    if (const XmlElement* da = total.child("DescAcrEntr")) {
        const XmlElement& g = oneOf(*da, {"vDescSubtot", "vAcresSubtot"});
        (g.name == "vDescSubtot" ? subtotalDiscount : subtotalIncrease) = money(g);
        if (subtotalDiscount > gross)
            refuse("desconto sobre o subtotal maior que o subtotal");
    }
    for (auto [amount, isDiscount] :
         {std::pair{subtotalDiscount, true}, std::pair{subtotalIncrease, false}}) {
        if (amount == 0 || gross == 0)
            continue;
        Money shared = 0;
        for (std::size_t k = 0; k < items.size(); ++k) {
            Money part = k + 1 == items.size()
                             ? amount - shared
                             : checkedMoney(mulDivRound(amount, items[k].base, gross), "rateio");
            shared += part;
            (isDiscount ? items[k].vRatDesc : items[k].vRatAcr) = part;
        }
    }

    const std::string key = accessKey(issuer.uf, issuer.now, issuer.taxpayerCnpj, issuer.serial,
                                      issuer.number, issuer.randomCode);
    const std::string id = "CFe" + key;

    XmlElement out("infCFe");
    out.attributes.emplace_back("Id", id);
    out.attributes.emplace_back("versao", "0.08");
    out.attributes.emplace_back("versaoDadosEnt", *inf.attribute("versaoDadosEnt"));
    std::string sb;
    for (char c : issuer.firmware)
        if (c != '.')
            sb += c;
    out.attributes.emplace_back("versaoSB", sb);

    out.add(XmlElement("ide")); // filled once the totals are known (the QR code signature covers them)
    out.add(emitter(need(inf, "emit"), issuer, simples));
    IssuedCfe issued;
    out.add(customer(need(inf, "dest"), issued.customer));
    if (const XmlElement* e = inf.child("entrega"))
        out.add(delivery(*e));

    TaxTotals taxes;
    Money vProd = 0, vDesc = 0, vOutro = 0, vCFe = 0, sum12741 = 0;
    bool any12741 = false, anyIcms = false, anyIssqn = false;
    for (const Item& item : items) {
        out.add(buildItem(item, taxes));
        vCFe = add(vCFe, item.base - item.vRatDesc + item.vRatAcr);
        if (item.issqn) {
            anyIssqn = true;
        } else {
            anyIcms = true;
            vProd = add(vProd, item.vProd);
            vDesc = add(vDesc, item.vDesc);
            vOutro = add(vOutro, item.vOutro);
        }
        if (item.has12741) {
            any12741 = true;
            sum12741 = add(sum12741, item.vItem12741);
        }
    }

    XmlElement& t = out.add("total");
    if (anyIcms) {
        XmlElement& icms = t.add("ICMSTot");
        icms.add("vICMS", fmt(taxes.vICMS));
        icms.add("vProd", fmt(vProd));
        icms.add("vDesc", fmt(vDesc));
        icms.add("vPIS", fmt(taxes.vPIS));
        icms.add("vCOFINS", fmt(taxes.vCOFINS));
        icms.add("vPISST", fmt(taxes.vPISST));
        icms.add("vCOFINSST", fmt(taxes.vCOFINSST));
        icms.add("vOutro", fmt(vOutro));
    }
    t.add("vCFe", fmt(vCFe));
    if (anyIssqn) {
        XmlElement& iss = t.add("ISSQNtot");
        iss.add("vBC", fmt(taxes.vBCISS));
        iss.add("vISS", fmt(taxes.vISS));
        iss.add("vPIS", fmt(taxes.vPIS));
        iss.add("vCOFINS", fmt(taxes.vCOFINS));
        iss.add("vPISST", fmt(taxes.vPISST));
        iss.add("vCOFINSST", fmt(taxes.vCOFINSST));
    }
    if (const XmlElement* da = total.child("DescAcrEntr")) {
        XmlElement& o = t.add("DescAcrEntr");
        o.add(XmlElement(da->children.front().name, da->children.front().text));
    }
    if (const XmlElement* lei = total.child("vCFeLei12741"))
        t.add("vCFeLei12741", fmt(money(*lei)));
    else if (any12741)
        t.add("vCFeLei12741", fmt(sum12741));

    const XmlElement& pgto = need(inf, "pgto");
    expectSequence(pgto, {{"MP", 1, 10}});
    XmlElement& op = out.add("pgto");
    Money paid = 0;
    for (const XmlElement* mp : pgto.childrenNamed("MP")) {
        expectSequence(*mp, {{"cMP", 1, 1}, {"vMP", 1, 1}, {"cAdmC", 0, 1}});
        XmlElement& o = op.add("MP");
        o.add(XmlElement("cMP", digits(need(*mp, "cMP"), 2)));
        const Money v = money(need(*mp, "vMP"));
        o.add("vMP", fmt(v));
        if (const XmlElement* adm = mp->child("cAdmC"))
            o.add(XmlElement("cAdmC", digits(*adm, 3)));
        paid = add(paid, v);
    }
    if (paid < vCFe)
        refuse("valor dos meios de pagamento (" + fmt(paid) + ") inferior ao total do CF-e (" + fmt(vCFe) +
               ")");
    op.add("vTroco", fmt(paid - vCFe));

    if (const XmlElement* adic = inf.child("infAdic")) {
        expectSequence(*adic, {{"infCpl", 0, 1}});
        XmlElement& o = out.add("infAdic");
        if (const XmlElement* cpl = adic->child("infCpl"))
            o.add(copyText(*cpl, 1, 5000));
    }

    issued.key = key;
    issued.timestamp = timestamp14(issuer.now);
    issued.total = fmt(vCFe);
    // The QR code carries key, date and time, total, customer and the
    // application's signature; the device signs that text.
    const std::string qrText = key + "|" + issued.timestamp + "|" + issued.total + "|" + issued.customer +
                               "|" + need(need(inf, "ide"), "signAC").text;
    issued.qrSignature = base64Encode(pseudoSignature("satemu-qrcode|" + issuer.serial + "|" + qrText, 256));
    out.children.front() = identification(need(inf, "ide"), issuer, key, issued.qrSignature);

    const std::string signedBytes = writeXml(out);
    XmlElement cfe("CFe");
    cfe.add(std::move(out));
    cfe.add(signatureBlock(id, signedBytes, issuer.serial));
    issued.document = finishDocument(std::move(cfe));
    return issued;
}

IssuedCfe buildCancellation(const XmlElement& request, const std::string& saleDocument,
                            const Issuer& issuer) {
    if (request.name != "CFeCanc")
        refuse("o elemento raiz deve ser <CFeCanc>");
    expectSequence(request, {{"infCFe", 1, 1}});
    const XmlElement& inf = need(request, "infCFe");
    const std::string* chCanc = inf.attribute("chCanc");
    if (chCanc == nullptr)
        refuse("atributo chCanc de <infCFe> ausente");
    expectSequence(inf, {{"ide", 1, 1}, {"emit", 1, 1}, {"dest", 1, 1}, {"total", 1, 1}, {"infAdic", 0, 1}});
    const XmlElement& ide = need(inf, "ide");
    expectSequence(ide, {{"CNPJ", 1, 1}, {"signAC", 1, 1}, {"numeroCaixa", 1, 1}});

    XmlElement sale;
    try {
        sale = parseXml(saleDocument);
    } catch (const XmlError&) {
        refuse("CF-e da última venda ilegível");
    }
    const XmlElement& saleInf = need(sale, "infCFe");
    const XmlElement& saleIde = need(saleInf, "ide");

    const std::string key = accessKey(issuer.uf, issuer.now, issuer.taxpayerCnpj, issuer.serial,
                                      issuer.number, issuer.randomCode);
    const std::string id = "CFe" + key;
    XmlElement out("infCFe");
    out.attributes.emplace_back("Id", id);
    out.attributes.emplace_back("chCanc", *chCanc);
    out.attributes.emplace_back("versao", "0.08");
    out.add("dEmi", need(saleIde, "dEmi").text);
    out.add("hEmi", need(saleIde, "hEmi").text);

    IssuedCfe issued;
    issued.key = key;
    issued.timestamp = timestamp14(issuer.now);
    issued.total = need(need(saleInf, "total"), "vCFe").text;
    if (const XmlElement* dest = saleInf.child("dest")) {
        if (const XmlElement* c = dest->child("CNPJ"))
            issued.customer = c->text;
        else if (const XmlElement* f = dest->child("CPF"))
            issued.customer = f->text;
    }
    const std::string qrText = key + "|" + issued.timestamp + "|" + issued.total + "|" + issued.customer +
                               "|" + need(ide, "signAC").text;
    issued.qrSignature = base64Encode(pseudoSignature("satemu-qrcode|" + issuer.serial + "|" + qrText, 256));
    out.add(identification(ide, issuer, key, issued.qrSignature));
    for (const char* group : {"emit", "dest"})
        out.add(need(saleInf, group));
    out.add("total").add("vCFe", issued.total);
    if (const XmlElement* adic = inf.child("infAdic")) {
        expectSequence(*adic, {{"infCpl", 0, 1}});
        XmlElement& o = out.add("infAdic");
        if (const XmlElement* cpl = adic->child("infCpl"))
            o.add(copyText(*cpl, 1, 5000));
    }
    const std::string signedBytes = writeXml(out);
    XmlElement canc("CFeCanc");
    canc.add(std::move(out));
    canc.add(signatureBlock(id, signedBytes, issuer.serial));
    issued.document = finishDocument(std::move(canc));
    return issued;
}

} // namespace satemu
