#include "xml.h"

#include <algorithm>
#include <cstdint>

namespace satemu {

const XmlElement* XmlElement::child(std::string_view n) const {
    for (const auto& c : children)
        if (c.name == n)
            return &c;
    return nullptr;
}

std::vector<const XmlElement*> XmlElement::childrenNamed(std::string_view n) const {
    std::vector<const XmlElement*> out;
    for (const auto& c : children)
        if (c.name == n)
            out.push_back(&c);
    return out;
}

const std::string* XmlElement::attribute(std::string_view n) const {
    for (const auto& a : attributes)
        if (a.first == n)
            return &a.second;
    return nullptr;
}

XmlElement& XmlElement::add(std::string n, std::string t) {
    children.emplace_back(std::move(n), std::move(t));
    return children.back();
}

XmlElement& XmlElement::add(XmlElement e) {
    children.push_back(std::move(e));
    return children.back();
}

namespace {

constexpr std::size_t kMaxDepth = 64;

bool isNameStart(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c == ':' || c >= 0x80;
}
bool isNameChar(unsigned char c) {
    return isNameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.';
}
bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

void appendCodePoint(std::string& out, std::uint32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

class Parser {
public:
    explicit Parser(std::string_view d) : doc_(d) {}

    XmlElement parse() {
        for (char c : doc_) {
            const auto u = static_cast<unsigned char>(c);
            if (u < 0x20 && c != '\t' && c != '\n' && c != '\r')
                fail("caractere de controle não permitido em XML");
        }
        skipProlog();
        if (pos_ >= doc_.size() || doc_[pos_] != '<')
            fail("elemento raiz não encontrado");
        XmlElement root = parseElementTree();
        skipMisc();
        if (pos_ != doc_.size())
            fail("conteúdo após o elemento raiz");
        return root;
    }

private:
    [[noreturn]] void fail(const std::string& what) const {
        throw XmlError("XML mal formado: " + what + " (posição " + std::to_string(pos_) + ")");
    }

    bool startsWith(std::string_view s) const { return doc_.substr(pos_, s.size()) == s; }

    void skipSpaces() {
        while (pos_ < doc_.size() && isSpace(doc_[pos_]))
            ++pos_;
    }

    void skipUntil(std::string_view end, const char* what) {
        const std::size_t p = doc_.find(end, pos_);
        if (p == std::string_view::npos)
            fail(what);
        pos_ = p + end.size();
    }

    void skipMisc() {
        for (;;) {
            skipSpaces();
            if (startsWith("<!--"))
                skipUntil("-->", "comentário sem fim");
            else if (startsWith("<?"))
                skipUntil("?>", "instrução de processamento sem fim");
            else
                return;
        }
    }

    void skipProlog() {
        if (doc_.size() >= 3 && static_cast<unsigned char>(doc_[0]) == 0xEF &&
            static_cast<unsigned char>(doc_[1]) == 0xBB && static_cast<unsigned char>(doc_[2]) == 0xBF)
            pos_ = 3;
        skipMisc();
        if (startsWith("<!DOCTYPE") || startsWith("<!doctype"))
            fail("declaração DOCTYPE não é aceita");
    }

    std::string parseName() {
        const std::size_t start = pos_;
        if (pos_ >= doc_.size() || !isNameStart(static_cast<unsigned char>(doc_[pos_])))
            fail("nome de elemento ou atributo inválido");
        while (pos_ < doc_.size() && isNameChar(static_cast<unsigned char>(doc_[pos_])))
            ++pos_;
        return std::string(doc_.substr(start, pos_ - start));
    }

    void parseReference(std::string& out) {
        // at '&'
        const std::size_t end = doc_.find(';', pos_);
        if (end == std::string_view::npos || end - pos_ > 12)
            fail("referência de entidade inválida");
        const std::string_view ref = doc_.substr(pos_ + 1, end - pos_ - 1);
        if (ref == "lt")
            out += '<';
        else if (ref == "gt")
            out += '>';
        else if (ref == "amp")
            out += '&';
        else if (ref == "quot")
            out += '"';
        else if (ref == "apos")
            out += '\'';
        else if (ref.size() >= 2 && ref[0] == '#') {
            std::uint32_t cp = 0;
            const bool hex = ref[1] == 'x';
            const std::string_view digits = ref.substr(hex ? 2 : 1);
            if (digits.empty())
                fail("referência de caractere inválida");
            for (char c : digits) {
                int v = -1;
                if (c >= '0' && c <= '9')
                    v = c - '0';
                else if (hex && c >= 'a' && c <= 'f')
                    v = c - 'a' + 10;
                else if (hex && c >= 'A' && c <= 'F')
                    v = c - 'A' + 10;
                if (v < 0)
                    fail("referência de caractere inválida");
                cp = cp * (hex ? 16u : 10u) + static_cast<std::uint32_t>(v);
                if (cp > 0x10FFFF)
                    fail("referência de caractere fora do Unicode");
            }
            const bool allowed = cp == 0x9 || cp == 0xA || cp == 0xD || (cp >= 0x20 && cp <= 0xD7FF) ||
                                 (cp >= 0xE000 && cp <= 0xFFFD) || cp >= 0x10000;
            if (!allowed)
                fail("referência a caractere não permitido em XML");
            appendCodePoint(out, cp);
        } else {
            fail("entidade desconhecida &" + std::string(ref) + ";");
        }
        pos_ = end + 1;
    }

    std::string parseAttributeValue() {
        if (pos_ >= doc_.size() || (doc_[pos_] != '"' && doc_[pos_] != '\''))
            fail("valor de atributo sem aspas");
        const char quote = doc_[pos_++];
        std::string value;
        for (;;) {
            if (pos_ >= doc_.size())
                fail("valor de atributo sem fim");
            const char c = doc_[pos_];
            if (c == quote) {
                ++pos_;
                return value;
            }
            if (c == '<')
                fail("'<' dentro de valor de atributo");
            if (c == '&') {
                parseReference(value);
                continue;
            }
            value += (c == '\t' || c == '\n' || c == '\r') ? ' ' : c;
            ++pos_;
        }
    }

    // Reads a start tag; returns true when it was an empty-element tag.
    bool parseStartTag(XmlElement& e) {
        ++pos_; // '<'
        e.name = parseName();
        for (;;) {
            const std::size_t before = pos_;
            skipSpaces();
            if (pos_ >= doc_.size())
                fail("marca de início sem fim");
            if (doc_[pos_] == '>') {
                ++pos_;
                return false;
            }
            if (startsWith("/>")) {
                pos_ += 2;
                return true;
            }
            if (before == pos_)
                fail("espaço esperado antes do atributo");
            std::string name = parseName();
            skipSpaces();
            if (pos_ >= doc_.size() || doc_[pos_] != '=')
                fail("'=' esperado após o nome do atributo");
            ++pos_;
            skipSpaces();
            std::string value = parseAttributeValue();
            for (const auto& a : e.attributes)
                if (a.first == name)
                    fail("atributo repetido " + name);
            e.attributes.emplace_back(std::move(name), std::move(value));
        }
    }

    struct Open {
        XmlElement element;
        std::string text;
        bool hasText = false; // non-blank text seen
    };

    void closeInto(std::vector<Open>& stack) {
        Open done = std::move(stack.back());
        stack.pop_back();
        if (done.hasText && !done.element.children.empty())
            fail("conteúdo misto (texto e elementos) em <" + done.element.name + ">");
        if (done.element.children.empty())
            done.element.text = std::move(done.text);
        if (stack.empty()) {
            finished_ = std::move(done.element);
        } else {
            stack.back().element.children.push_back(std::move(done.element));
        }
    }

    XmlElement parseElementTree() {
        std::vector<Open> stack;
        {
            Open first;
            const bool empty = parseStartTag(first.element);
            stack.push_back(std::move(first));
            if (empty) {
                closeInto(stack);
                return std::move(finished_);
            }
        }
        while (!stack.empty()) {
            if (pos_ >= doc_.size())
                fail("elemento <" + stack.back().element.name + "> sem marca de fim");
            const char c = doc_[pos_];
            if (c == '<') {
                if (startsWith("</")) {
                    pos_ += 2;
                    const std::string name = parseName();
                    skipSpaces();
                    if (pos_ >= doc_.size() || doc_[pos_] != '>')
                        fail("marca de fim mal formada");
                    ++pos_;
                    if (name != stack.back().element.name)
                        fail("marca de fim </" + name + "> não corresponde a <" + stack.back().element.name +
                             ">");
                    closeInto(stack);
                } else if (startsWith("<!--")) {
                    skipUntil("-->", "comentário sem fim");
                } else if (startsWith("<![CDATA[")) {
                    pos_ += 9;
                    const std::size_t end = doc_.find("]]>", pos_);
                    if (end == std::string_view::npos)
                        fail("seção CDATA sem fim");
                    stack.back().text.append(doc_.substr(pos_, end - pos_));
                    stack.back().hasText = stack.back().hasText || end > pos_;
                    pos_ = end + 3;
                } else if (startsWith("<?")) {
                    skipUntil("?>", "instrução de processamento sem fim");
                } else if (startsWith("<!")) {
                    fail("declaração não permitida dentro do documento");
                } else {
                    if (stack.size() >= kMaxDepth)
                        fail("aninhamento de elementos profundo demais");
                    Open next;
                    const bool empty = parseStartTag(next.element);
                    stack.push_back(std::move(next));
                    if (empty)
                        closeInto(stack);
                }
            } else if (c == '&') {
                parseReference(stack.back().text);
                stack.back().hasText = true;
            } else {
                if (c == '>' && pos_ >= 2 && doc_.substr(pos_ - 2, 2) == "]]")
                    fail("sequência ']]>' no texto");
                if (!isSpace(c))
                    stack.back().hasText = true;
                stack.back().text += c;
                ++pos_;
            }
        }
        return std::move(finished_);
    }

    std::string_view doc_;
    std::size_t pos_ = 0;
    XmlElement finished_;
};

void escapeAttribute(std::string& out, std::string_view s) {
    for (char c : s) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\t':
            out += "&#x9;";
            break;
        case '\n':
            out += "&#xA;";
            break;
        case '\r':
            out += "&#xD;";
            break;
        default:
            out += c;
        }
    }
}

void write(std::string& out, const XmlElement& e) {
    out += '<';
    out += e.name;
    auto attrs = e.attributes;
    std::sort(attrs.begin(), attrs.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (const auto& [k, v] : attrs) {
        out += ' ';
        out += k;
        out += "=\"";
        escapeAttribute(out, v);
        out += '"';
    }
    out += '>';
    if (e.children.empty()) {
        out += escapeXmlText(e.text);
    } else {
        for (const auto& c : e.children)
            write(out, c);
    }
    out += "</";
    out += e.name;
    out += '>';
}

} // namespace

XmlElement parseXml(std::string_view document) {
    // Line ends are normalized to a line feed before parsing, as every XML processor does.
    std::string normalized;
    normalized.reserve(document.size());
    for (std::size_t i = 0; i < document.size(); ++i) {
        if (document[i] == '\r') {
            normalized += '\n';
            if (i + 1 < document.size() && document[i + 1] == '\n')
                ++i;
        } else {
            normalized += document[i];
        }
    }
    return Parser(normalized).parse();
}

std::string escapeXmlText(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (char c : s) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '\r':
            out += "&#xD;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

std::string writeXml(const XmlElement& e) {
    std::string out;
    write(out, e);
    return out;
}

} // namespace satemu
