#include "settings/parameterstore.h"

#include "platform/codepage.h"
#include "settings/atomicfile.h"
#include "settings/campos.h"

#include <algorithm>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QXmlStreamReader>

namespace settings {

namespace {

using Kind = ParameterStore::FieldKind;

// RowState flags of a row version.
constexpr int kRowSuperseded = 1;
constexpr int kRowDeleted = 2;
constexpr int kRowInserted = 4;
constexpr int kRowModified = 8;

bool sameName(QStringView a, QStringView b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

const StandardColumn* standardColumn(QStringView name) {
    for (const StandardColumn& column : kStandardColumns) {
        if (sameName(column.name, name))
            return &column;
    }
    return nullptr;
}

bool hasAttribute(const QList<std::pair<QString, QString>>& attributes, QStringView name) {
    return std::any_of(attributes.begin(), attributes.end(),
                       [name](const auto& a) { return sameName(a.first, name); });
}

QString attributeValue(const QList<std::pair<QString, QString>>& attributes, QStringView name) {
    for (const auto& [key, value] : attributes) {
        if (sameName(key, name))
            return value;
    }
    return {};
}

Kind kindOf(QStringView type, QStringView subtype) {
    if (sameName(type, u"string"))
        return Kind::Text;
    if (sameName(type, u"string.uni"))
        return Kind::WideText;
    if (sameName(type, u"bin.hex")) {
        if (sameName(subtype, u"Text"))
            return Kind::Memo;
        if (sameName(subtype, u"WideText"))
            return Kind::WideText;
        return Kind::Other;
    }
    for (QStringView integerType : {u"i1", u"i2", u"i4", u"ui1", u"ui2"}) {
        if (sameName(type, integerType))
            return Kind::Integer;
    }
    return Kind::Other;
}

// The field as its FIELD element declares it. A text column without a usable
// WIDTH keeps the standard width when it is one of ours, so values stay cut.
ParameterStore::Field fieldOf(const QString& name, const QList<std::pair<QString, QString>>& declared) {
    const QString type = attributeValue(declared, u"fieldtype");
    const QString subtype = attributeValue(declared, u"SUBTYPE");
    bool widthOk = false;
    int width = attributeValue(declared, u"WIDTH").trimmed().toInt(&widthOk);
    const bool isBlob = sameName(type, u"bin.hex");
    if (!widthOk || width <= 0) {
        const StandardColumn* standard = standardColumn(name);
        width = standard != nullptr && sameName(standard->type, type) ? standard->declaredWidth : 0;
    }

    ParameterStore::Field field;
    field.name = name;
    field.kind = kindOf(type, subtype);
    switch (field.kind) {
    case Kind::Text:
        field.width = width;
        break;
    case Kind::WideText:
        // string.uni declares bytes, two per character; a blob's WIDTH is no limit.
        field.width = isBlob ? 0 : width / 2;
        break;
    case Kind::Memo:
    case Kind::Integer:
    case Kind::Other:
        field.width = 0;
        break;
    }
    return field;
}

QList<std::pair<QString, QString>> standardDeclaration(const StandardColumn& column) {
    QList<std::pair<QString, QString>> declared{{QStringLiteral("attrname"), column.name.toString()},
                                                {QStringLiteral("fieldtype"), column.type.toString()}};
    if (!column.subtype.isEmpty())
        declared.append({QStringLiteral("SUBTYPE"), column.subtype.toString()});
    if (column.declaredWidth > 0)
        declared.append({QStringLiteral("WIDTH"), QString::number(column.declaredWidth)});
    return declared;
}

// Characters XML 1.0 can carry at all, even as a character reference.
bool isXmlChar(char32_t cp) {
    return cp == 0x9 || cp == 0xA || cp == 0xD || (cp >= 0x20 && cp <= 0xD7FF) ||
           (cp >= 0xE000 && cp <= 0xFFFD) || (cp >= 0x10000 && cp <= 0x10FFFF);
}

// Replaces with '?' every character a field cannot keep: one XML cannot carry
// (the file would become unreadable) and, for 8-bit fields, one outside the
// code page. One '?' per character, so nothing in the middle disappears.
QString sanitized(const QString& value, bool eightBit) {
    QString out;
    out.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        qsizetype units = 1;
        char32_t cp = c.unicode();
        if (c.isHighSurrogate() && i + 1 < value.size() && value.at(i + 1).isLowSurrogate()) {
            cp = QChar::surrogateToUcs4(c, value.at(i + 1));
            units = 2;
        } else if (c.isSurrogate()) {
            cp = 0xFFFF; // a lone half of a pair is no character
        }
        bool keep = isXmlChar(cp);
        if (keep && eightBit && cp >= 0x80)
            keep = platform::ansiCanEncode(value.mid(i, units));
        if (!keep)
            out += u'?';
        else
            out.append(value.constData() + i, units);
        i += units - 1;
    }
    return out;
}

QString cutToWidth(QString value, int width) {
    if (width <= 0 || value.size() <= width)
        return value;
    qsizetype keep = width;
    if (value.at(keep - 1).isHighSurrogate())
        --keep; // never keep half of a pair
    value.truncate(keep);
    return value;
}

bool isXmlName(QStringView name) {
    if (name.isEmpty())
        return false;
    const QChar head = name.front();
    if (!head.isLetter() && head != u'_')
        return false;
    return std::all_of(name.begin(), name.end(),
                       [](QChar c) { return c.isLetterOrNumber() || c == u'_' || c == u'-' || c == u'.'; });
}

// Attribute values as the data packet writes them: the named entities, and
// three-digit character references for control characters and the backslash.
void appendEscaped(QString& out, QStringView value) {
    for (const QChar c : value) {
        switch (c.unicode()) {
        case u'&':
            out += u"&amp;";
            break;
        case u'<':
            out += u"&lt;";
            break;
        case u'>':
            out += u"&gt;";
            break;
        case u'"':
            out += u"&quot;";
            break;
        case u'\'':
            out += u"&apos;";
            break;
        case u'\\':
            out += u"&#092;";
            break;
        default:
            if (c.unicode() < 0x20)
                out += QStringLiteral("&#%1;").arg(c.unicode(), 3, 10, QLatin1Char('0'));
            else
                out += c;
        }
    }
}

void appendAttribute(QString& out, QStringView name, QStringView value) {
    out += u' ';
    out += name;
    out += u"=\"";
    appendEscaped(out, value);
    out += u'"';
}

struct RowVersion {
    int state = 0;
    QList<std::pair<QString, QString>> attributes; // column values, RowState left out
};

// What the text of a file is, found from its byte-order mark or declaration. A
// declaration without an encoding means the 8-bit Windows code page.
struct DecodedPacket {
    QString text;             // used when decodedByUs
    bool decodedByUs = false; // otherwise the XML reader decodes the bytes
    ParameterStore::Encoding flavour = ParameterStore::Encoding::Ansi;
    QString error;
};

DecodedPacket decodePacket(const QByteArray& bytes) {
    DecodedPacket packet;
    if (bytes.startsWith("\xEF\xBB\xBF") || bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        packet.flavour = ParameterStore::Encoding::Utf8;
        return packet;
    }

    QString encoding;
    if (bytes.startsWith("<?xml")) {
        const qsizetype end = bytes.indexOf("?>");
        const QString declaration = QString::fromLatin1(bytes.left(end < 0 ? 256 : end));
        static const QRegularExpression kEncoding(QStringLiteral("\\bencoding\\s*=\\s*[\"']([^\"']*)[\"']"));
        const QRegularExpressionMatch match = kEncoding.match(declaration);
        if (match.hasMatch())
            encoding = match.captured(1).trimmed();
    }

    if (encoding.isEmpty()) {
        packet.text = platform::fromAnsi(bytes);
        packet.decodedByUs = true;
        return packet;
    }
    if (sameName(encoding, u"UTF-8") || sameName(encoding, u"UTF8")) {
        packet.flavour = ParameterStore::Encoding::Utf8;
        return packet;
    }
    // Qt without ICU (as on Windows) knows no Windows code page by name.
    if (sameName(encoding, u"windows-1252") || sameName(encoding, u"cp1252")) {
        packet.text = platform::fromWindows1252(bytes);
        packet.decodedByUs = true;
        return packet;
    }
    QStringDecoder decoder(encoding.toLatin1().constData());
    if (!decoder.isValid()) {
        packet.error = QStringLiteral("codificação \"%1\" desconhecida").arg(encoding);
        return packet;
    }
    packet.text = decoder.decode(bytes);
    packet.decodedByUs = true;
    // Single-byte code pages are the 8-bit flavour; wider ones are written back as UTF-8.
    packet.flavour =
        encoding.startsWith(u"UTF", Qt::CaseInsensitive) || encoding.startsWith(u"UCS", Qt::CaseInsensitive)
            ? ParameterStore::Encoding::Utf8
            : ParameterStore::Encoding::Ansi;
    return packet;
}

// The element's attributes as written back. A prefixed name takes its namespace
// declaration along (it may have been made on an ancestor that is not written back
// as read), so the element reads again on its own.
QList<std::pair<QString, QString>> attributesOf(const QXmlStreamReader& reader) {
    QList<std::pair<QString, QString>> list;
    QStringList declared;
    const QXmlStreamAttributes attributes = reader.attributes();
    list.reserve(attributes.size());
    for (const QXmlStreamAttribute& attribute : attributes) {
        const QString prefix = attribute.prefix().toString();
        if (!prefix.isEmpty() && prefix != u"xml" && !declared.contains(prefix)) {
            list.append({QStringLiteral("xmlns:") + prefix, attribute.namespaceUri().toString()});
            declared.append(prefix);
        }
        list.append({attribute.qualifiedName().toString(), attribute.value().toString()});
    }
    return list;
}

QList<int> parseChangeLog(const QString& text) {
    QList<int> numbers;
    const QStringList parts = text.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
    for (const QString& part : parts) {
        bool ok = false;
        const int number = part.toInt(&ok);
        if (!ok)
            return {}; // a log we cannot read is no guide to the versions
        numbers.append(number);
    }
    return numbers;
}

} // namespace

ParameterStore::ParameterStore() {
    reset();
}

QString ParameterStore::defaultPath() {
    return QDir::current().absoluteFilePath(kParametrosFileName);
}

void ParameterStore::reset() {
    m_columns.clear();
    for (const StandardColumn& standard : kStandardColumns) {
        const QString name = standard.name.toString();
        const Attributes declared = standardDeclaration(standard);
        m_columns.append({fieldOf(name, declared), declared});
    }
    m_records.clear();
    m_params.clear();
    m_encoding = Encoding::Ansi;
    m_path.clear();
    m_open = false;
    m_modified = false;
    m_current = 0;
    m_editing = false;
    m_editCreatesRecord = false;
    m_buffer.clear();
}

StoreResult ParameterStore::open(const QString& path) {
    if (m_open)
        return StoreResult::success();
    reset();
    const QString absolute = QFileInfo(path).absoluteFilePath();
    if (!QFileInfo::exists(absolute)) {
        // No file yet: the record starts empty and the write-back creates it.
        m_path = absolute;
        m_open = true;
        return StoreResult::success();
    }

    QFile file(absolute);
    if (!file.open(QIODevice::ReadOnly)) {
        return StoreResult::failure(
            QStringLiteral("Não foi possível abrir o arquivo \"%1\": %2.").arg(absolute, file.errorString()));
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        return StoreResult::failure(
            QStringLiteral("Não foi possível ler o arquivo \"%1\": %2.").arg(absolute, file.errorString()));
    }

    const StoreResult loaded = load(bytes);
    if (!loaded) {
        reset();
        return StoreResult::failure(
            QStringLiteral("Erro ao ler o arquivo \"%1\": %2.").arg(absolute, loaded.message()));
    }
    m_path = absolute;
    m_open = true;
    return StoreResult::success();
}

// Fills the store from the bytes of a data packet. A failure carries the reason
// with the reader's line and column.
StoreResult ParameterStore::load(const QByteArray& bytes) {
    const DecodedPacket decoded = decodePacket(bytes);
    if (!decoded.error.isEmpty())
        return StoreResult::failure(decoded.error + QStringLiteral(" (linha 1, coluna 1)"));

    QXmlStreamReader reader;
    if (decoded.decodedByUs)
        reader.addData(decoded.text);
    else
        reader.addData(bytes);
    // The whole file is here: running out of data is an error, not a pause.
    auto failure = [&reader](const QString& reason) {
        return StoreResult::failure(QStringLiteral("%1 (linha %2, coluna %3)")
                                        .arg(reason)
                                        .arg(reader.lineNumber())
                                        .arg(reader.columnNumber()));
    };
    auto readerFailure = [&]() {
        if (reader.error() == QXmlStreamReader::PrematureEndOfDocumentError)
            return failure(QStringLiteral("o arquivo termina antes do fim do documento"));
        return failure(reader.errorString());
    };

    if (!reader.readNextStartElement()) {
        if (reader.hasError())
            return readerFailure();
        return failure(QStringLiteral("o arquivo não contém nenhum elemento XML"));
    }
    if (reader.name() != u"DATAPACKET") {
        return failure(
            QStringLiteral("o elemento principal é <%1>, não <DATAPACKET>").arg(reader.name().toString()));
    }

    QList<Column> columns;
    Attributes params;
    QList<RowVersion> versions;
    bool declaresFields = false;

    while (reader.readNextStartElement()) {
        if (reader.name() == u"METADATA") {
            while (reader.readNextStartElement()) {
                if (reader.name() == u"FIELDS") {
                    declaresFields = true;
                    while (reader.readNextStartElement()) {
                        if (reader.name() == u"FIELD") {
                            const Attributes declared = attributesOf(reader);
                            const QString name = attributeValue(declared, u"attrname");
                            if (name.isEmpty())
                                return failure(QStringLiteral("campo sem nome (FIELD sem attrname)"));
                            columns.append({fieldOf(name, declared), declared});
                        }
                        reader.skipCurrentElement();
                    }
                } else if (reader.name() == u"PARAMS") {
                    params = attributesOf(reader);
                    reader.skipCurrentElement();
                } else {
                    reader.skipCurrentElement();
                }
            }
        } else if (reader.name() == u"ROWDATA") {
            while (reader.readNextStartElement()) {
                if (reader.name() == u"ROW") {
                    RowVersion version;
                    for (auto& [name, value] : attributesOf(reader)) {
                        if (sameName(name, u"RowState"))
                            version.state = value.trimmed().toInt();
                        else if (isXmlName(name)) // what could not be written back is not read either
                            version.attributes.append({name, value});
                    }
                    versions.append(version);
                }
                reader.skipCurrentElement();
            }
        } else {
            reader.skipCurrentElement();
        }
    }
    // Whatever follows the packet must be well-formed too: a damaged tail is a
    // damaged file.
    while (!reader.hasError() && !reader.atEnd())
        reader.readNext();
    if (reader.hasError())
        return readerFailure();
    if (!declaresFields)
        return failure(QStringLiteral("o pacote de dados não declara seus campos (METADATA/FIELDS)"));

    // Our columns that the file does not declare are added, so every operation
    // finds its fields; they are null until assigned.
    for (const StandardColumn& standard : kStandardColumns) {
        const bool declared = std::any_of(columns.begin(), columns.end(), [&](const Column& c) {
            return sameName(c.field.name, standard.name);
        });
        if (!declared) {
            const QString name = standard.name.toString();
            const Attributes declaration = standardDeclaration(standard);
            columns.append({fieldOf(name, declaration), declaration});
        }
    }
    m_columns = columns;
    m_params = params;
    m_encoding = decoded.flavour;

    // Which version replaces which: from the change log (row, replaced row,
    // kind), else a modified version replaces the nearest earlier superseded one.
    const qsizetype count = versions.size();
    QList<qsizetype> previous(count, -1);
    QList<bool> replaced(count, false);
    const QList<int> changeLog = parseChangeLog(attributeValue(params, u"CHANGE_LOG"));
    for (qsizetype i = 0; i + 2 < changeLog.size(); i += 3) {
        const qsizetype row = changeLog[i] - 1;
        const qsizetype old = changeLog[i + 1] - 1;
        if (row < 0 || row >= count || old < 0 || old >= count || row == old || previous[row] >= 0 ||
            replaced[old])
            continue;
        previous[row] = old;
        replaced[old] = true;
    }
    for (qsizetype v = 0; v < count; ++v) {
        if ((versions[v].state & kRowModified) == 0 || previous[v] >= 0)
            continue;
        for (qsizetype u = v - 1; u >= 0; --u) {
            if ((versions[u].state & kRowSuperseded) != 0 && !replaced[u]) {
                previous[v] = u;
                replaced[u] = true;
                break;
            }
        }
    }

    // A row attribute names its column exactly, or else without regard to case.
    auto columnOf = [this](const QString& name) -> qsizetype {
        for (qsizetype c = 0; c < m_columns.size(); ++c) {
            if (m_columns[c].field.name == name)
                return c;
        }
        return fieldIndex(name);
    };

    // The current records: versions neither superseded nor deleted. Each takes
    // its values from its chain of versions, oldest first; a later version
    // carries the fields it changed, so an absent attribute there keeps the
    // earlier value. Records keep the place of their first version.
    QList<std::pair<qsizetype, Record>> current;
    for (qsizetype v = 0; v < count; ++v) {
        if ((versions[v].state & (kRowSuperseded | kRowDeleted)) != 0 || replaced[v])
            continue;
        QList<qsizetype> chain{v};
        for (qsizetype p = previous[v]; p >= 0 && chain.size() <= count; p = previous[p])
            chain.prepend(p);
        Record record(m_columns.size());
        for (const qsizetype c : chain) {
            for (const auto& [name, value] : versions[c].attributes) {
                const qsizetype column = columnOf(name);
                if (column >= 0)
                    record[column] = value;
            }
        }
        current.append({chain.front(), record});
    }
    std::stable_sort(current.begin(), current.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    for (auto& entry : current)
        m_records.append(std::move(entry.second));
    return StoreResult::success();
}

QList<ParameterStore::Field> ParameterStore::fields() const {
    QList<Field> list;
    list.reserve(m_columns.size());
    for (const Column& column : m_columns)
        list.append(column.field);
    return list;
}

qsizetype ParameterStore::fieldIndex(QStringView name) const {
    for (qsizetype c = 0; c < m_columns.size(); ++c) {
        if (sameName(m_columns[c].field.name, name))
            return c;
    }
    return -1;
}

const ParameterStore::Record* ParameterStore::currentRecord() const {
    if (m_editing)
        return &m_buffer;
    if (m_current >= 0 && m_current < m_records.size())
        return &m_records[m_current];
    return nullptr;
}

ParameterStore::Value ParameterStore::valueOf(QStringView name) const {
    const qsizetype column = fieldIndex(name);
    const Record* record = currentRecord();
    if (column < 0 || record == nullptr || column >= record->size())
        return std::nullopt;
    return record->at(column);
}

QString ParameterStore::text(QStringView name) const {
    return valueOf(name).value_or(QString());
}

int ParameterStore::integer(QStringView name, bool* ok) const {
    const qsizetype column = fieldIndex(name);
    bool converted = false;
    int number = 0;
    if (column >= 0) {
        const Value value = valueOf(name);
        if (value)
            number = value->trimmed().toInt(&converted);
        else
            converted = m_columns[column].field.kind == FieldKind::Integer;
    }
    if (ok != nullptr)
        *ok = converted;
    return converted ? number : 0;
}

bool ParameterStore::isNull(QStringView name) const {
    return !valueOf(name).has_value();
}

void ParameterStore::first() {
    post();
    m_current = 0;
}

void ParameterStore::edit() {
    if (m_editing)
        return;
    if (m_records.isEmpty()) {
        m_current = 0;
        m_buffer = Record(m_columns.size());
        m_editCreatesRecord = true;
    } else {
        if (m_current < 0 || m_current >= m_records.size())
            m_current = 0;
        m_buffer = m_records[m_current];
        m_editCreatesRecord = false;
    }
    m_editing = true;
}

bool ParameterStore::assign(qsizetype column, Value value) {
    if (column < 0)
        return false;
    // A column whose name cannot be an XML attribute could never be written.
    if (!isXmlName(m_columns[column].field.name) || sameName(m_columns[column].field.name, u"RowState"))
        return false;
    edit();
    m_buffer[column] = std::move(value);
    return true;
}

bool ParameterStore::setText(QStringView name, const QString& value) {
    const qsizetype column = fieldIndex(name);
    if (column < 0)
        return false;
    const Field& field = m_columns[column].field;
    switch (field.kind) {
    case FieldKind::Text:
        return assign(column, cutToWidth(sanitized(value, true), field.width));
    case FieldKind::WideText:
        return assign(column, cutToWidth(sanitized(value, false), field.width));
    case FieldKind::Memo:
        return assign(column, sanitized(value, true));
    case FieldKind::Integer: {
        const QString trimmed = value.trimmed();
        if (trimmed.isEmpty())
            return assign(column, std::nullopt);
        bool ok = false;
        const int number = trimmed.toInt(&ok);
        return ok && assign(column, QString::number(number));
    }
    case FieldKind::Other:
        return assign(column, sanitized(value, false));
    }
    return false;
}

bool ParameterStore::setInteger(QStringView name, int value) {
    return setText(name, QString::number(value));
}

bool ParameterStore::setNull(QStringView name) {
    return assign(fieldIndex(name), std::nullopt);
}

void ParameterStore::post() {
    if (!m_editing)
        return;
    if (m_editCreatesRecord) {
        m_records.append(m_buffer);
        m_current = m_records.size() - 1;
        m_modified = true;
    } else if (m_records[m_current] != m_buffer) {
        m_records[m_current] = m_buffer;
        m_modified = true;
    }
    m_editing = false;
    m_editCreatesRecord = false;
    m_buffer.clear();
}

void ParameterStore::cancel() {
    m_editing = false;
    m_editCreatesRecord = false;
    m_buffer.clear();
}

QString ParameterStore::packetText(Encoding encoding) const {
    QString out;
    out += u"<?xml version=\"1.0\"";
    if (encoding == Encoding::Utf8)
        out += u" encoding=\"UTF-8\"";
    out += u" standalone=\"yes\"?>  <DATAPACKET Version=\"2.0\"><METADATA><FIELDS>";
    for (const Column& column : m_columns) {
        out += u"<FIELD";
        for (const auto& [name, value] : column.declared)
            appendAttribute(out, name, value);
        out += u"/>";
    }
    out += u"</FIELDS><PARAMS";

    // One inserted version per record: "1 0 4 2 0 4 ...".
    QStringList log;
    for (qsizetype r = 1; r <= m_records.size(); ++r)
        log << QString::number(r) << QStringLiteral("0") << QString::number(kRowInserted);
    const QString changeLog = log.join(u' ');
    bool logWritten = changeLog.isEmpty();
    if (!logWritten && !hasAttribute(m_params, u"CHANGE_LOG")) {
        appendAttribute(out, u"CHANGE_LOG", changeLog);
        logWritten = true;
    }
    for (const auto& [name, value] : m_params) {
        if (sameName(name, u"CHANGE_LOG")) {
            if (!logWritten)
                appendAttribute(out, name, changeLog);
            logWritten = true;
        } else {
            appendAttribute(out, name, value);
        }
    }
    out += u"/></METADATA><ROWDATA>";

    for (const Record& record : m_records) {
        out += u"<ROW RowState=\"4\"";
        for (qsizetype c = 0; c < m_columns.size() && c < record.size(); ++c) {
            const QString& name = m_columns[c].field.name;
            if (record[c] && isXmlName(name) && !sameName(name, u"RowState"))
                appendAttribute(out, name, *record[c]);
        }
        out += u"/>";
    }
    out += u"</ROWDATA></DATAPACKET>\r\n";
    return out;
}

// The packet in the loaded file's flavour when the code page holds all of it,
// otherwise in UTF-8.
std::pair<ParameterStore::Encoding, QByteArray> ParameterStore::encodedPacket() const {
    if (m_encoding == Encoding::Ansi) {
        const QString text = packetText(Encoding::Ansi);
        QByteArray bytes = platform::toAnsi(text);
        if (platform::fromAnsi(bytes) == text)
            return {Encoding::Ansi, bytes};
    }
    return {Encoding::Utf8, packetText(Encoding::Utf8).toUtf8()};
}

ParameterStore::Encoding ParameterStore::encodingForWrite() const {
    return encodedPacket().first;
}

QByteArray ParameterStore::toDataPacket() const {
    return encodedPacket().second;
}

StoreResult ParameterStore::writeBackIfNeeded() {
    post();
    if (!m_open)
        return StoreResult::success();
    if (!m_modified && QFileInfo::exists(m_path))
        return StoreResult::success();

    const auto [encoding, bytes] = encodedPacket();

    // Written beside the target and renamed over it only when complete and
    // flushed: the old file stays whole whatever happens before.
    QString reason;
    if (!writeFileAtomically(m_path, bytes, &reason)) {
        return StoreResult::failure(
            QStringLiteral("Não foi possível gravar o arquivo \"%1\": %2.").arg(m_path, reason));
    }

    m_modified = false;
    m_encoding = encoding;
    return StoreResult::success();
}

} // namespace settings
