#pragma once

#include <optional>
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringView>
#include <utility>

namespace settings {

// The file the console keeps its parameters in; the store reads and writes it in
// the working directory (see ParameterStore::defaultPath()).
inline constexpr QLatin1String kParametrosFileName{"Parametros.xml"};

// Outcome of loading or saving the store. A failure carries the message to show
// to the user as it stands (Portuguese, naming the file).
class [[nodiscard]] StoreResult {
public:
    static StoreResult success() { return StoreResult(QString()); }
    static StoreResult failure(QString message) {
        if (message.isEmpty())
            message = QStringLiteral("Erro desconhecido.");
        return StoreResult(std::move(message));
    }

    bool ok() const { return m_message.isEmpty(); }
    explicit operator bool() const { return ok(); }
    const QString& message() const { return m_message; }

private:
    explicit StoreResult(QString message) : m_message(std::move(message)) {}
    QString m_message;
};

// The parameter store `cds`: the record of named fields that the console keeps
// in Parametros.xml, a client-dataset XML data packet.
//
// Loading reads packets as the original format writes them: the columns that
// METADATA declares (the 23 standard ones are added when missing), several
// versions of a row with their RowState flags and the CHANGE_LOG, values in the
// 8-bit Windows code page or in UTF-8. The current record is the version that
// is neither superseded nor deleted.
//
// Writing keeps the packet structure but compacts it to one version per record,
// so the file does not grow with every run; it is atomic (temporary file beside
// the target, flushed, then renamed over it), so a crash, kill or full disk
// leaves either the old or the new file.
//
// Typical use: at start-up `open(ParameterStore::defaultPath())`, show the
// message and end the program if it fails; operations `edit()`, `setText()` /
// `setInteger()`, `post()`; at the end of a normal run `writeBackIfNeeded()`,
// showing its message if it fails.
class ParameterStore {
public:
    enum class FieldKind {
        Text,     // "string": 8-bit text, width in characters
        WideText, // "string.uni": any text, WIDTH in bytes (two per character)
        Memo,     // "bin.hex" holding text (SUBTYPE "Text" or "WideText"): no width limit
        Integer,  // "i4" and the other integer types
        Other,    // any other declared type: kept and written back as read
    };

    struct Field {
        QString name;
        FieldKind kind = FieldKind::Text;
        int width = 0; // largest number of characters kept; 0 = no limit
    };

    // Which flavour of packet the file is: no encoding in the declaration means
    // the 8-bit Windows code page.
    enum class Encoding { Ansi, Utf8 };

    // A closed store with the 23 standard columns and no record.
    ParameterStore();

    // Parametros.xml in the process's working directory, as an absolute path.
    static QString defaultPath();

    // Loads the store from path; a no-op when it is already open. A missing file
    // is not an error: the store opens with the standard columns and no record,
    // and the write-back creates the file. A file that cannot be read as a data
    // packet gives a failure naming the file and the reader's line and column;
    // the store then stays closed and will never write to that file.
    StoreResult open(const QString& path);
    bool isOpen() const { return m_open; }
    // The absolute path of the file the store was opened from ("" when closed).
    QString fileName() const { return m_path; }

    QList<Field> fields() const;
    bool hasField(QStringView name) const { return fieldIndex(name) >= 0; }
    int recordCount() const { return static_cast<int>(m_records.size()); }

    // Reads of the current record (the edit buffer while editing). Names match
    // without regard to case. A null field, an unknown field or a store without a
    // record reads as "" and 0.
    QString text(QStringView name) const;
    // A whole number read from the field, 0 when there is none. *ok says whether
    // there was one: false for text that is not a whole number, for a null or
    // empty text field and for an unknown field; a null integer field reads as 0
    // with *ok true.
    int integer(QStringView name, bool* ok = nullptr) const;
    bool isNull(QStringView name) const;

    // Moves to the first record, posting a pending edit first.
    void first();
    // Enters edit mode on the current record, creating an empty record when the
    // store has none. A no-op while already editing.
    void edit();
    // Assignments to the edit buffer; they enter edit mode themselves when
    // needed. Text is cut to the field's width, and characters the field cannot
    // hold (outside the 8-bit code page for 8-bit fields, or not allowed in XML)
    // become '?'. Return false, changing nothing, when there is no such field or
    // an integer field is given text that is not a whole number. An empty text
    // makes an integer field null.
    bool setText(QStringView name, const QString& value);
    bool setInteger(QStringView name, int value);
    bool setNull(QStringView name);
    // Commits the edit buffer to the record in memory; a no-op when not editing.
    void post();
    // Drops the edit buffer (and the record edit() created for it).
    void cancel();
    bool isEditing() const { return m_editing; }

    // Whether the data changed since it was loaded or last written.
    bool isModified() const { return m_modified; }

    // End-of-run save: posts a pending edit, then writes the file when the data
    // changed or the file does not exist. A no-op success for a closed store
    // (never opened, or whose file could not be read). On failure the old file
    // stays as it was and the message names the file and the reason.
    StoreResult writeBackIfNeeded();

    // The bytes the next write-back would write.
    QByteArray toDataPacket() const;
    // The flavour the next write-back uses: the loaded file's code page when it
    // can hold every value, otherwise UTF-8.
    Encoding encodingForWrite() const;

private:
    using Value = std::optional<QString>; // nullopt is a null field
    using Record = QList<Value>;
    using Attributes = QList<std::pair<QString, QString>>;

    struct Column {
        Field field;
        Attributes declared; // the FIELD element's attributes, written back as read
    };

    qsizetype fieldIndex(QStringView name) const;
    const Record* currentRecord() const;
    Value valueOf(QStringView name) const;
    bool assign(qsizetype column, Value value);
    StoreResult load(const QByteArray& bytes);
    QString packetText(Encoding encoding) const;
    std::pair<Encoding, QByteArray> encodedPacket() const;
    void reset();

    QList<Column> m_columns;
    QList<Record> m_records;
    Attributes m_params; // PARAMS attributes as read; CHANGE_LOG is rewritten
    Encoding m_encoding = Encoding::Ansi;
    QString m_path;
    bool m_open = false;
    bool m_modified = false;
    qsizetype m_current = 0;
    bool m_editing = false;
    bool m_editCreatesRecord = false;
    Record m_buffer;
};

} // namespace settings
