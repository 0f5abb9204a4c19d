// A small XML reader and writer for the documents the device exchanges: the
// sale and test documents, the network document and the CF-e it issues.
// Elements hold either text or child elements (no mixed content).
#ifndef SATEMU_XML_H
#define SATEMU_XML_H

#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace satemu {

struct XmlElement {
    std::string name;
    std::vector<std::pair<std::string, std::string>> attributes;
    std::string text; // text content (UTF-8), for elements without children
    std::vector<XmlElement> children;

    XmlElement() = default;
    explicit XmlElement(std::string n, std::string t = {}) : name(std::move(n)), text(std::move(t)) {}

    const XmlElement* child(std::string_view n) const;
    std::vector<const XmlElement*> childrenNamed(std::string_view n) const;
    const std::string* attribute(std::string_view n) const;
    // Appends a child and returns it.
    XmlElement& add(std::string n, std::string t = {});
    XmlElement& add(XmlElement e);
};

class XmlError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Parses a UTF-8 document. Throws XmlError with a Portuguese explanation when it
// is not well-formed, declares a DOCTYPE, nests deeper than 64 levels or mixes
// text with child elements.
XmlElement parseXml(std::string_view document);

// Writes the element in canonical form (attributes sorted, empty elements as a
// start and end tag pair, no whitespace added): the bytes whose SHA-256 is the
// digest of an inclusive C14N of the element when no namespace is in scope.
std::string writeXml(const XmlElement& e);

std::string escapeXmlText(std::string_view s);

} // namespace satemu

#endif
