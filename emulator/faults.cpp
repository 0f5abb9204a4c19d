#include "faults.h"

#include "platform.h"
#include "text.h"

#include <fstream>
#include <set>
#include <sstream>

namespace satemu {

namespace {

const std::set<std::string>& knownKeys() {
    static const std::set<std::string> keys = {"delay_ms",        "code",          "code_count", "message",
                                               "sefaz_code",      "sefaz_message", "alert",      "malformed",
                                               "malformed_count", "log_padding_mb"};
    return keys;
}

std::string readFile(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return {};
    std::ostringstream buffer;
    buffer << in.rdbuf();
    return buffer.str();
}

} // namespace

std::optional<std::string> Faults::get(const std::string& key, const std::string& entryPoint) const {
    auto it = values.find(key + "." + entryPoint);
    if (it != values.end())
        return it->second;
    it = values.find(key);
    if (it != values.end())
        return it->second;
    return std::nullopt;
}

std::optional<long long> Faults::number(const std::string& key, const std::string& entryPoint, long long lo,
                                        long long hi) const {
    const auto v = get(key, entryPoint);
    if (!v || v->empty() || v->size() > 12 || !allDigits(*v))
        return std::nullopt;
    const long long n = std::stoll(*v);
    if (n < lo || n > hi)
        return std::nullopt;
    return n;
}

Faults loadFaults(const std::filesystem::path& file) {
    Faults f;
    std::error_code ec;
    if (!std::filesystem::exists(file, ec))
        return f;
    const std::string text = readFile(file);
    std::size_t lineNo = 0;
    for (const auto& rawLine : split(text, '\n')) {
        ++lineNo;
        const std::string line = trim(rawLine);
        if (line.empty() || line[0] == '#' || line[0] == ';')
            continue;
        const std::size_t eq = line.find('=');
        if (eq == std::string::npos) {
            f.problems.push_back("linha " + std::to_string(lineNo) + " sem '='");
            continue;
        }
        const std::string key = trim(line.substr(0, eq));
        const std::string base = key.substr(0, key.find('.'));
        if (knownKeys().count(base) == 0) {
            f.problems.push_back("linha " + std::to_string(lineNo) + ": chave desconhecida " +
                                 printable(key, 40));
            continue;
        }
        f.values[key] = trim(line.substr(eq + 1));
    }
    return f;
}

std::optional<long long> faultCount(const Faults& f, const std::string& key) {
    const auto it = f.values.find(key);
    if (it == f.values.end())
        return std::nullopt;
    if (it->second.empty() || it->second.size() > 9 || !allDigits(it->second))
        return 0;
    return std::stoll(it->second);
}

void consumeCount(const std::filesystem::path& file, const std::string& key) {
    const std::string text = readFile(file);
    if (text.empty())
        return;
    std::string out;
    bool changed = false;
    for (const auto& rawLine : split(text, '\n')) {
        const std::string line = trim(rawLine);
        const std::size_t eq = line.find('=');
        if (!changed && eq != std::string::npos && trim(line.substr(0, eq)) == key) {
            const std::string v = trim(line.substr(eq + 1));
            const long long n = (!v.empty() && v.size() <= 9 && allDigits(v)) ? std::stoll(v) : 0;
            out += key + "=" + std::to_string(n > 0 ? n - 1 : 0) + "\n";
            changed = true;
        } else {
            out += rawLine + "\n";
        }
    }
    if (!out.empty())
        out.pop_back(); // split() gave one more piece than there were line feeds
    if (changed)
        platform::replaceFileAtomically(file, out);
}

Malformation parseMalformation(const std::string& value) {
    if (value == "empty")
        return Malformation::Empty;
    if (value == "no_separator")
        return Malformation::NoSeparator;
    if (value == "few_fields")
        return Malformation::FewFields;
    if (value == "bad_utf8")
        return Malformation::BadUtf8;
    if (value == "bad_base64")
        return Malformation::BadBase64;
    return Malformation::None;
}

std::string malform(const std::string& answer, Malformation m, int messageField, int base64Field) {
    switch (m) {
    case Malformation::None:
        return answer;
    case Malformation::Empty:
        return {};
    case Malformation::NoSeparator: {
        std::string out = answer;
        for (char& c : out)
            if (c == '|')
                c = ' ';
        return out;
    }
    case Malformation::FewFields: {
        const auto fields = split(answer, '|');
        return fields.size() >= 2 ? fields[0] + "|" + fields[1] : fields[0];
    }
    case Malformation::BadUtf8:
    case Malformation::BadBase64: {
        auto fields = split(answer, '|');
        const int target = m == Malformation::BadUtf8 ? messageField : base64Field;
        if (target < 0 || target >= static_cast<int>(fields.size()))
            return answer;
        std::string& f = fields[static_cast<std::size_t>(target)];
        if (m == Malformation::BadUtf8) {
            // As a library that answers in an 8-bit code page would: accents
            // become single Latin-1 bytes, and a byte never valid in UTF-8 follows.
            f = utf8ToLatin1(f) + "\xFF";
        } else {
            // Cut by one character and broken by padding and foreign characters in the middle.
            if (!f.empty())
                f.pop_back();
            f.insert(f.size() / 2, "=*@=");
        }
        std::string out;
        for (std::size_t k = 0; k < fields.size(); ++k) {
            if (k > 0)
                out += '|';
            out += fields[k];
        }
        return out;
    }
    }
    return answer;
}

} // namespace satemu
