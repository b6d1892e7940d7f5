#include "SheetCatalogue.h"

#include "SafeFile.h"
#include "UserError.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <optional>

namespace {

constexpr int kFields = 12;
// A4 in hundredths of a millimetre: every label of a sheet must end on the paper.
constexpr qint64 kPaperWidth = 21000;
constexpr qint64 kPaperHeight = 29700;
// Far beyond any catalogue; a bigger file is not one.
constexpr qint64 kMaxFileBytes = 4 * 1024 * 1024;

QString& userFilePath() {
    static QString path;
    return path;
}

QString millimetres(int hundredths) {
    QString text = QString::number(hundredths / 100);
    if (const int fraction = hundredths % 100; fraction != 0) {
        text += QLatin1Char(',') + QString::number(fraction).rightJustified(2, QLatin1Char('0'));
        if (text.endsWith(QLatin1Char('0')))
            text.chop(1);
    }
    return text;
}

// "63.5" or "63.50" in hundredths; nothing for anything else (a comma, three decimals).
std::optional<int> readLength(QStringView text) {
    const qsizetype point = text.indexOf(QLatin1Char('.'));
    const QStringView whole = point < 0 ? text : text.first(point);
    const QStringView fraction = point < 0 ? QStringView() : text.sliced(point + 1);
    const auto digits = [](QStringView part) {
        for (const QChar c : part)
            if (c < QLatin1Char('0') || c > QLatin1Char('9'))
                return false;
        return true;
    };
    if (whole.isEmpty() || whole.size() > 5 || !digits(whole) || fraction.size() > 2 ||
        (point >= 0 && fraction.isEmpty()) || !digits(fraction))
        return std::nullopt;
    int value = whole.toInt() * 100;
    if (!fraction.isEmpty())
        value += fraction.toInt() * (fraction.size() == 1 ? 10 : 1);
    return value;
}

std::optional<SheetStock::Shape> readShape(QStringView text) {
    if (text.compare(u"rectangle", Qt::CaseInsensitive) == 0)
        return SheetStock::Shape::Rectangle;
    if (text.compare(u"arrondi", Qt::CaseInsensitive) == 0)
        return SheetStock::Shape::Rounded;
    if (text.compare(u"rond", Qt::CaseInsensitive) == 0)
        return SheetStock::Shape::Round;
    return std::nullopt;
}

// Lower case without accents, ',' for the decimal point and 'x' for '×', so that what is
// typed finds what is written however either was spelt.
QString folded(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (const QChar c : text.toLower().normalized(QString::NormalizationForm_D)) {
        if (c.category() == QChar::Mark_NonSpacing)
            continue;
        if (c == QLatin1Char('.'))
            out += QLatin1Char(',');
        else if (c == QChar(0x00D7))
            out += QLatin1Char('x');
        else
            out += c;
    }
    return out;
}

// One line of the catalogue, or why it cannot be taken.
struct ParsedLine {
    std::optional<SheetStock> stock;
    QString problem;
};

ParsedLine parseLine(const QString& line) {
    QStringList fields = line.split(QLatin1Char(';'));
    if (fields.size() < kFields)
        return {std::nullopt, QStringLiteral("%1 champs au lieu de %2 (séparés par « ; »)")
                                  .arg(fields.size())
                                  .arg(kFields)};
    // The source, last, may hold semicolons of its own.
    const QString source = fields.mid(kFields - 1).join(QLatin1Char(';')).trimmed();
    fields = fields.first(kFields - 1);
    for (QString& field : fields)
        field = field.trimmed();

    SheetStock stock;
    stock.code = fields[0];
    stock.description = fields[1];
    stock.source = source;
    if (stock.code.isEmpty())
        return {std::nullopt, QStringLiteral("le code est vide")};

    struct Length {
        int field;
        const char* name;
        int* value;
    };
    const Length lengths[] = {
        {2, "largeur", &stock.labelWidth},    {3, "hauteur", &stock.labelHeight},
        {6, "pas horizontal", &stock.hPitch}, {7, "pas vertical", &stock.vPitch},
        {8, "marge gauche", &stock.left},     {9, "marge haute", &stock.top}};
    for (const Length& length : lengths) {
        const auto value = readLength(fields[length.field]);
        if (!value)
            return {std::nullopt,
                    QStringLiteral("%1 « %2 » : un nombre de millimètres est attendu, avec un "
                                   "point et deux décimales au plus (par exemple 63.50)")
                        .arg(QString::fromUtf8(length.name), fields[length.field])};
        *length.value = *value;
    }
    struct Count {
        int field;
        const char* name;
        int* value;
    };
    const Count counts[] = {{4, "colonnes", &stock.columns}, {5, "rangées", &stock.rows}};
    for (const Count& count : counts) {
        bool ok = false;
        const int value = fields[count.field].toInt(&ok);
        if (!ok || value < 1 || value > 255 || fields[count.field].startsWith(QLatin1Char('+')))
            return {std::nullopt,
                    QStringLiteral("%1 « %2 » : un nombre entier de 1 à 255 est attendu")
                        .arg(QString::fromUtf8(count.name), fields[count.field])};
        *count.value = value;
    }
    const auto shape = readShape(fields[10]);
    if (!shape)
        return {
            std::nullopt,
            QStringLiteral("forme « %1 » inconnue (rectangle, arrondi ou rond)").arg(fields[10])};
    stock.shape = *shape;

    if (stock.labelWidth < 100 || stock.labelHeight < 100)
        return {std::nullopt, QStringLiteral("une étiquette mesure au moins 1 mm de côté")};
    if (stock.columns > 1 && stock.hPitch < stock.labelWidth)
        return {std::nullopt, QStringLiteral("le pas horizontal est plus petit que la largeur")};
    if (stock.rows > 1 && stock.vPitch < stock.labelHeight)
        return {std::nullopt, QStringLiteral("le pas vertical est plus petit que la hauteur")};
    const qint64 right = stock.left + qint64(stock.columns - 1) * stock.hPitch + stock.labelWidth;
    const qint64 bottom = stock.top + qint64(stock.rows - 1) * stock.vPitch + stock.labelHeight;
    if (right > kPaperWidth)
        return {std::nullopt,
                QStringLiteral("la dernière colonne finit à %1 mm, au-delà des 210 mm de la "
                               "feuille A4")
                    .arg(millimetres(int(qMin<qint64>(right, 99999999))))};
    if (bottom > kPaperHeight)
        return {std::nullopt,
                QStringLiteral("la dernière rangée finit à %1 mm, au-delà des 297 mm de la "
                               "feuille A4")
                    .arg(millimetres(int(qMin<qint64>(bottom, 99999999))))};
    if (!stock.isValid())
        return {std::nullopt, QStringLiteral("planche impossible")};
    return {stock, QString()};
}

} // namespace

const SheetCatalogue& SheetCatalogue::standard() {
    static const SheetCatalogue catalogue = load(userFilePath());
    return catalogue;
}

void SheetCatalogue::setUserFile(const QString& path) {
    userFilePath() = path;
}

QString SheetCatalogue::installedFile() {
    const QString beside = QDir::cleanPath(QCoreApplication::applicationDirPath() +
                                           QStringLiteral("/../share/vorlap/planches.txt"));
    return QFileInfo(beside).isFile() ? beside : QStringLiteral(":/vorlap/planches.txt");
}

SheetCatalogue SheetCatalogue::load(const QString& userFile) {
    SheetCatalogue catalogue;
    catalogue.readFile(installedFile());
    if (!userFile.isEmpty() && QFileInfo::exists(userFile))
        catalogue.readFile(userFile);
    return catalogue;
}

void SheetCatalogue::readFile(const QString& path) {
    QByteArray text;
    if (path.startsWith(QLatin1Char(':'))) {
        QFile resource(path);
        if (resource.open(QIODevice::ReadOnly))
            text = resource.readAll();
    } else {
        try {
            text = SafeFile::readRegularFile(path, kMaxFileBytes);
        } catch (const UserError& error) {
            problems_.append(error.message());
            return;
        }
    }
    read(text, path);
}

void SheetCatalogue::read(QByteArrayView text, const QString& fileName) {
    const QString name = QDir::toNativeSeparators(fileName);
    QString content = QString::fromUtf8(text);
    if (content.startsWith(QChar(0xFEFF)))
        content.remove(0, 1);
    const QStringList lines = content.split(QLatin1Char('\n'));
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString line = lines[i].trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        const ParsedLine parsed = parseLine(line);
        if (!parsed.stock) {
            problems_.append(
                QStringLiteral("%1, ligne %2 : %3").arg(name).arg(i + 1).arg(parsed.problem));
            continue;
        }
        if (const SheetStock* known = find(parsed.stock->code))
            entries_[known - entries_.constData()] = *parsed.stock;
        else
            entries_.append(*parsed.stock);
    }
}

const SheetStock* SheetCatalogue::find(QStringView code) const {
    for (const SheetStock& entry : entries_)
        if (entry.code.compare(code, Qt::CaseInsensitive) == 0)
            return &entry;
    return nullptr;
}

QList<const SheetStock*> SheetCatalogue::search(const QString& words) const {
    const QStringList wanted =
        folded(words).simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    QList<const SheetStock*> found;
    for (const SheetStock& entry : entries_) {
        const QString size = sizeText(entry);
        const QString haystack = folded(entry.code + u' ' + entry.description + u' ' + size + u' ' +
                                        QString(size).remove(QLatin1Char(' ')));
        const bool all = std::all_of(wanted.begin(), wanted.end(),
                                     [&](const QString& word) { return haystack.contains(word); });
        if (all)
            found.append(&entry);
    }
    return found;
}

QString SheetCatalogue::sizeText(const SheetStock& stock) {
    return millimetres(stock.labelWidth) + QStringLiteral(" x ") + millimetres(stock.labelHeight);
}
