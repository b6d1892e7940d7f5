#include "MergeList.h"

#include "Barcode.h"
#include "FileNames.h"
#include "ObjectKinds.h"
#include "UserError.h"
#include "Windows1252.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

namespace {

QString decodeText(const QByteArray& bytes) {
    static const QByteArray kBom = "\xEF\xBB\xBF";
    if (bytes.startsWith(kBom))
        return QString::fromUtf8(bytes.mid(kBom.size()));
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8(bytes);
    if (!utf8.hasError())
        return text;
    return Windows1252::toUnicode(bytes);
}

// The separator the first record holds most of, outside quotes; ';' first on a tie, as
// French spreadsheets write it.
QChar detectSeparator(const QString& text) {
    int semicolons = 0, commas = 0, tabs = 0;
    bool quoted = false;
    for (const QChar c : text) {
        if (c == u'"')
            quoted = !quoted;
        else if (!quoted && (c == u'\n' || c == u'\r'))
            break;
        else if (!quoted)
            semicolons += c == u';', commas += c == u',', tabs += c == u'\t';
    }
    if (semicolons >= commas && semicolons >= tabs && semicolons > 0)
        return u';';
    if (tabs >= commas && tabs > 0)
        return u'\t';
    return u',';
}

struct Record {
    QStringList fields;
    int line = 0;
};

QList<Record> splitRecords(const QString& text, QChar separator, QStringList& problems,
                           const QString& fileName) {
    QList<Record> records;
    Record record;
    QString field;
    int line = 1;
    record.line = 1;
    bool quoted = false;
    int quoteLine = 0;
    const auto endField = [&] {
        record.fields.append(field);
        field.clear();
    };
    const auto endRecord = [&] {
        endField();
        // Blank lines hold no row.
        if (!(record.fields.size() == 1 && record.fields[0].isEmpty()))
            records.append(record);
        record = Record();
        record.line = line;
    };
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c == u'"') {
                if (i + 1 < n && text[i + 1] == u'"') {
                    field += u'"';
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                if (c == u'\n' || (c == u'\r' && !(i + 1 < n && text[i + 1] == u'\n')))
                    ++line;
                field += c;
            }
        } else if (c == u'"' && field.isEmpty()) {
            quoted = true;
            quoteLine = line;
        } else if (c == separator) {
            endField();
        } else if (c == u'\r' || c == u'\n') {
            if (c == u'\r' && i + 1 < n && text[i + 1] == u'\n')
                ++i;
            ++line;
            endRecord();
        } else {
            field += c;
        }
    }
    if (quoted)
        problems.append(
            QStringLiteral("%1, ligne %2 : guillemet jamais fermé").arg(fileName).arg(quoteLine));
    if (!field.isEmpty() || !record.fields.isEmpty())
        endRecord();
    return records;
}

} // namespace

MergeTable MergeTable::load(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw UserError(
            QStringLiteral("Ne peut ouvrir la liste %1").arg(QDir::toNativeSeparators(path)));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw UserError(
            QStringLiteral("Ne peut ouvrir la liste %1").arg(QDir::toNativeSeparators(path)));
    return parse(bytes, QFileInfo(path).fileName());
}

MergeTable MergeTable::parse(const QByteArray& bytes, const QString& fileName) {
    MergeTable table;
    table.fileName = fileName;
    const QString text = decodeText(bytes);
    QList<Record> records = splitRecords(text, detectSeparator(text), table.problems, fileName);
    if (records.isEmpty())
        return table;
    for (const QString& name : records.takeFirst().fields)
        table.columns.append(name.trimmed());
    int replaced = 0;
    for (Record& record : records) {
        if (record.fields.size() < table.columns.size()) {
            table.problems.append(
                QStringLiteral(
                    "%1, ligne %2 : %3 champ(s) pour %4 colonnes, la colonne « %5 » est vide")
                    .arg(fileName)
                    .arg(record.line)
                    .arg(record.fields.size())
                    .arg(table.columns.size())
                    .arg(table.columns[record.fields.size()]));
            while (record.fields.size() < table.columns.size())
                record.fields.append(QString());
        }
        for (const QString& value : record.fields)
            Windows1252::fromUnicode(value, &replaced);
        table.rows.append(record.fields);
        table.rowLines.append(record.line);
    }
    if (replaced > 0)
        table.problems.append(
            QStringLiteral(
                "%1 : %2 caractère(s) qu'une étiquette ne peut pas écrire, remplacé(s) par « ? »")
                .arg(fileName)
                .arg(replaced));
    return table;
}

int MergeTable::column(const QString& name) const {
    return columns.indexOf(name);
}

namespace MergeFields {

namespace {

// Walks a text: literal bytes go to `literal`, each reference's name to `reference`.
template <typename Literal, typename Reference>
void scan(QByteArrayView text, Literal literal, Reference reference) {
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char c = text[i];
        if ((c == '{' || c == '}') && i + 1 < n && text[i + 1] == c) {
            literal(c);
            ++i;
        } else if (c == '{') {
            const qsizetype close = text.indexOf('}', i + 1);
            const qsizetype nested = text.indexOf('{', i + 1);
            if (close < 0 || (nested >= 0 && nested < close)) {
                literal(c);
                continue;
            }
            reference(text.sliced(i + 1, close - i - 1));
            i = close;
        } else {
            literal(c);
        }
    }
}

bool hasBraces(QByteArrayView text) {
    return text.contains('{') || text.contains('}');
}

// Texts and the data of barcodes take fields; no other kind's data is text.
bool takesFields(QByteArrayView keyword) {
    const ObjectKind kind = ObjectKinds::of(keyword).kind;
    return kind == ObjectKind::Text || kind == ObjectKind::Barcode;
}

} // namespace

QStringList references(QByteArrayView text) {
    QStringList names;
    if (!hasBraces(text))
        return names;
    scan(
        text, [](char) {},
        [&](QByteArrayView name) {
            const QString unicode = Windows1252::toUnicode(name).trimmed();
            if (!names.contains(unicode))
                names.append(unicode);
        });
    return names;
}

QByteArray fill(QByteArrayView text, const MergeTable& table, int row) {
    if (!hasBraces(text))
        return text.toByteArray();
    QByteArray out;
    out.reserve(text.size());
    const QStringList& values = table.rows.value(row);
    scan(
        text, [&](char c) { out += c; },
        [&](QByteArrayView name) {
            const int column = table.column(Windows1252::toUnicode(name).trimmed());
            if (column < 0)
                out += '{' + name.toByteArray() + '}';
            else
                out += Windows1252::fromUnicode(values.value(column));
        });
    return out;
}

bool holdsFields(QByteArrayView line) {
    if (!hasBraces(line))
        return false;
    const LineParts parts = LineCodec::splitLine(line);
    return takesFields(parts.keyword) && hasBraces(parts.kindData);
}

LineList fill(const LineList& lines, const MergeTable& table, int row) {
    LineList filled = lines;
    for (qsizetype i = 2; i < filled.size(); ++i) {
        if (!holdsFields(filled[i]))
            continue;
        LineParts parts = LineCodec::splitLine(filled[i]);
        const QByteArray text = fill(parts.kindData, table, row);
        parts.kindData = text;
        filled[i] = LineCodec::joinLine(parts);
    }
    return filled;
}

QStringList unknownColumns(const LineList& lines, const MergeTable& table) {
    QStringList messages;
    QStringList said;
    for (qsizetype i = 2; i < lines.size(); ++i) {
        if (!hasBraces(lines[i]))
            continue;
        const LineParts parts = LineCodec::splitLine(lines[i]);
        if (!takesFields(parts.keyword))
            continue;
        for (const QString& name : references(parts.kindData)) {
            if (table.column(name) >= 0 || said.contains(name))
                continue;
            said.append(name);
            messages.append(
                QStringLiteral("%1 : pas de colonne « %2 » (texte « %3 » de l'étiquette)")
                    .arg(table.fileName, name, Windows1252::toUnicode(parts.kindData)));
        }
    }
    return messages;
}

QStringList refusedBarcodes(const LineList& lines, const MergeTable& table) {
    QStringList messages;
    for (qsizetype i = 2; i < lines.size(); ++i) {
        if (!hasBraces(lines[i]))
            continue;
        const LineParts parts = LineCodec::splitLine(lines[i]);
        if (ObjectKinds::of(parts.keyword).kind != ObjectKind::Barcode)
            continue;
        const BarcodeData barcode = Barcodes::parse(parts.kindData);
        if (!barcode.symbology || references(barcode.data).isEmpty())
            continue;
        int refused = 0;
        QString first;
        for (qsizetype row = 0; row < table.rows.size(); ++row) {
            const QString error =
                Barcodes::check(*barcode.symbology, fill(barcode.data, table, int(row)));
            if (error.isEmpty())
                continue;
            if (refused++ == 0)
                first = QStringLiteral("%1, ligne %2 : %3")
                            .arg(table.fileName)
                            .arg(table.rowLines[row])
                            .arg(error);
        }
        if (refused > 0)
            messages.append(
                QStringLiteral("%1 (%2 étiquette(s) sans code-barres)").arg(first).arg(refused));
    }
    return messages;
}

} // namespace MergeFields

namespace MergeLine {

namespace {

// Bytes that would cut the line or the field stay out of it.
const QByteArray kKept = "/._-~+()";

} // namespace

QByteArray write(const QString& path, const QString& labelPath) {
    QString stored = path;
    if (!labelPath.isEmpty()) {
        const QString relative = QFileInfo(labelPath).absoluteDir().relativeFilePath(path);
        if (!relative.startsWith(QStringLiteral("../")) && !QDir::isAbsolutePath(relative))
            stored = relative;
    }
    return LineCodec::objectLine(
        ObjectKinds::keyword(ObjectKind::Merge), LineCodec::writeRect(0, 0, 0, 0),
        FileNames::encode(stored).toPercentEncoding(kKept), LineCodec::writeStyles(StyleBlock{}));
}

QString read(QByteArrayView line, const QString& labelPath) {
    const LineParts parts = LineCodec::splitLine(line);
    if (ObjectKinds::of(parts.keyword).kind != ObjectKind::Merge || parts.kindData.isEmpty())
        return {};
    const QString name =
        FileNames::decode(QByteArray::fromPercentEncoding(parts.kindData.toByteArray()));
    if (QDir::isAbsolutePath(name) || labelPath.isEmpty())
        return name;
    return QFileInfo(labelPath).absoluteDir().filePath(name);
}

} // namespace MergeLine
