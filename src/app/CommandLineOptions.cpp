#include "CommandLineOptions.h"

#include "FileNames.h"
#include "SettingsFile.h"

#include <QStringView>

namespace {

using Mode = CommandLineOptions::Mode;

constexpr int kMaxZoom = 1000;
// The printer's offset is a feed error, a few millimetres at most.
constexpr int kMaxOffset = 10;

enum class Key {
    Png,
    Svg,
    Pdf,
    Print,
    Help,
    ListSheets,
    Printer,
    Dpi,
    Zoom,
    Margins,
    Copies,
    Sheet,
    First,
    Count,
    Offset,
    CalibrationPage,
    Merge
};

struct Option {
    const char* name;
    Key key;
    bool takesValue;
    // The runs the option belongs to, as the message names them; empty for the run options.
    const char* runs;
};

const Option kOptions[] = {
    {"--png", Key::Png, true, ""},
    {"--svg", Key::Svg, true, ""},
    {"--pdf", Key::Pdf, true, ""},
    {"--print", Key::Print, false, ""},
    {"--help", Key::Help, false, ""},
    {"-h", Key::Help, false, ""},
    {"--printer", Key::Printer, true, "--print"},
    {"--dpi", Key::Dpi, true, "--pdf"},
    {"--zoom", Key::Zoom, true, "--pdf ou --print"},
    {"--margins", Key::Margins, true, "--pdf ou --print"},
    {"--copies", Key::Copies, true, "--pdf ou --print"},
    {"--list-sheets", Key::ListSheets, false, ""},
    {"--sheet", Key::Sheet, true, "--pdf ou --print"},
    {"--first", Key::First, true, "--pdf ou --print"},
    {"--count", Key::Count, true, "--pdf ou --print"},
    {"--offset", Key::Offset, true, "--pdf ou --print"},
    {"--calibration-page", Key::CalibrationPage, false, "--pdf ou --print"},
    {"--merge", Key::Merge, true, "--pdf ou --print"},
};

// What the calibration page takes besides its run: it reads no label and has no sheet.
bool goesWithCalibrationPage(Key key) {
    switch (key) {
    case Key::Pdf:
    case Key::Print:
    case Key::Printer:
    case Key::Dpi:
    case Key::Offset:
    case Key::CalibrationPage:
        return true;
    default:
        return false;
    }
}

const Option* findOption(QStringView name) {
    for (const Option& option : kOptions) {
        if (name == QLatin1String(option.name))
            return &option;
    }
    return nullptr;
}

bool belongsTo(Key key, Mode mode) {
    switch (key) {
    case Key::Dpi:
        return mode == Mode::Pdf;
    case Key::Printer:
        return mode == Mode::Print;
    case Key::Zoom:
    case Key::Margins:
    case Key::Copies:
    case Key::Sheet:
    case Key::First:
    case Key::Count:
    case Key::Offset:
    case Key::CalibrationPage:
    case Key::Merge:
        return mode == Mode::Pdf || mode == Mode::Print;
    default:
        return true;
    }
}

std::optional<int> integerIn(const QString& text, int lowest, int highest) {
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok || value < lowest || value > highest)
        return std::nullopt;
    return value;
}

std::optional<std::array<int, 4>> readMargins(const QString& text) {
    const QStringList parts = text.split(QLatin1Char(','));
    if (parts.size() != 4)
        return std::nullopt;
    std::array<int, 4> margins{};
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        margins[i] = parts[i].trimmed().toInt(&ok);
        if (!ok)
            return std::nullopt;
    }
    return margins;
}

class Parser {
public:
    explicit Parser(CommandLineOptions& options) : o_(options) {}

    // Stops with the options' error set at the first argument that cannot be taken.
    bool take(const QStringList& arguments) {
        QStringList files;
        bool optionsEnded = false;
        for (qsizetype i = 1; i < arguments.size(); ++i) {
            const QString& argument = arguments[i];
            // After "--" every argument is a file, so that a file named "-x.etq" can be given.
            if (!optionsEnded && argument == QLatin1String("--")) {
                optionsEnded = true;
                continue;
            }
            if (optionsEnded || !argument.startsWith(QLatin1Char('-')) ||
                argument == QLatin1String("-")) {
                files.append(argument);
                continue;
            }
            const qsizetype equals = argument.startsWith(QLatin1String("--"))
                                         ? argument.indexOf(QLatin1Char('='))
                                         : qsizetype(-1);
            const QString name = equals > 0 ? argument.left(equals) : argument;
            const Option* option = findOption(name);
            if (!option)
                return fail(QStringLiteral("Option inconnue : %1").arg(argument));
            if (option->key == Key::Help) {
                o_.mode = Mode::Help;
                return true;
            }
            QString value;
            if (equals > 0) {
                if (!option->takesValue)
                    return fail(QStringLiteral("L'option %1 ne prend pas de valeur").arg(name));
                value = argument.mid(equals + 1);
            } else if (option->takesValue && i + 1 < arguments.size() &&
                       !arguments[i + 1].startsWith(QLatin1String("--"))) {
                value = arguments[++i];
            }
            if (option->takesValue && value.isEmpty())
                return fail(QStringLiteral("L'option %1 demande une valeur").arg(name));
            if (given_.contains(name))
                return fail(QStringLiteral("L'option %1 est donnée deux fois").arg(name));
            given_.append(name);
            if (!apply(*option, value))
                return false;
        }
        for (const QString& name : given_) {
            const Option& option = *findOption(name);
            if (!belongsTo(option.key, o_.mode))
                return fail(QStringLiteral("L'option %1 ne s'emploie qu'avec %2")
                                .arg(name, QLatin1String(option.runs)));
        }
        if (o_.calibrationPage) {
            for (const QString& name : given_)
                if (!goesWithCalibrationPage(findOption(name)->key))
                    return fail(
                        QStringLiteral("L'option %1 ne va pas avec --calibration-page").arg(name));
            if (!files.isEmpty())
                return fail(QStringLiteral("Argument en trop : %1").arg(files[0]));
            return true;
        }
        if (files.size() > 1)
            return fail(QStringLiteral("Argument en trop : %1").arg(files[1]));
        if (files.isEmpty() && o_.mode != Mode::Designer && o_.mode != Mode::ListSheets)
            return fail(QStringLiteral("Aucun fichier d'étiquette indiqué"));
        o_.file = files.value(0);
        return true;
    }

private:
    bool fail(const QString& text) {
        o_.error = text;
        return false;
    }

    bool setMode(Mode mode, const QString& name) {
        if (!modeOption_.isEmpty())
            return fail(
                QStringLiteral("Les options %1 et %2 ne vont pas ensemble").arg(modeOption_, name));
        modeOption_ = name;
        o_.mode = mode;
        return true;
    }

    bool apply(const Option& option, const QString& value) {
        const QString name = QLatin1String(option.name);
        switch (option.key) {
        case Key::Png:
        case Key::Svg:
        case Key::Pdf:
            o_.output = value;
            return setMode(option.key == Key::Png   ? Mode::Png
                           : option.key == Key::Svg ? Mode::Svg
                                                    : Mode::Pdf,
                           name);
        case Key::Print:
            return setMode(Mode::Print, name);
        case Key::Printer:
            o_.printer = value;
            return true;
        case Key::Dpi:
            if (const auto dpi =
                    integerIn(value, CommandLineOptions::kMinDpi, CommandLineOptions::kMaxDpi)) {
                o_.dpi = *dpi;
                return true;
            }
            return fail(QStringLiteral("La résolution doit être un nombre entier de %1 à %2 : %3")
                            .arg(CommandLineOptions::kMinDpi)
                            .arg(CommandLineOptions::kMaxDpi)
                            .arg(value));
        case Key::Copies:
            if (const auto copies = integerIn(value, 1, CommandLineOptions::kMaxCopies)) {
                o_.copies = *copies;
                return true;
            }
            return fail(
                QStringLiteral("Le nombre de copies doit être un nombre entier de 1 à %1 : %2")
                    .arg(CommandLineOptions::kMaxCopies)
                    .arg(value));
        case Key::Zoom:
            if ((o_.zoom = integerIn(value, 1, kMaxZoom)))
                return true;
            return fail(QStringLiteral("Le zoom doit être un nombre entier de 1 à %1 : %2")
                            .arg(kMaxZoom)
                            .arg(value));
        case Key::Margins:
            if ((o_.margins = readMargins(value)))
                return true;
            return fail(QStringLiteral("Les marges doivent être quatre nombres entiers séparés "
                                       "par des virgules : %1")
                            .arg(value));
        case Key::ListSheets:
            return setMode(Mode::ListSheets, name);
        case Key::Sheet:
            o_.sheet = value;
            return true;
        case Key::Merge:
            o_.merge = value;
            return true;
        case Key::First:
        case Key::Count: {
            const auto cell = integerIn(value, 1, CommandLineOptions::kMaxCells);
            if (!cell)
                return fail(QStringLiteral("%1 demande un nombre entier de 1 à %2 : %3")
                                .arg(name)
                                .arg(CommandLineOptions::kMaxCells)
                                .arg(value));
            (option.key == Key::First ? o_.first : o_.count) = *cell;
            return true;
        }
        case Key::Offset: {
            const QStringList parts = value.split(QLatin1Char(','));
            bool okX = false, okY = false;
            const double x = parts.value(0).trimmed().toDouble(&okX);
            const double y = parts.value(1).trimmed().toDouble(&okY);
            if (parts.size() != 2 || !okX || !okY || qAbs(x) > kMaxOffset || qAbs(y) > kMaxOffset)
                return fail(QStringLiteral("Le décalage doit être deux nombres de millimètres "
                                           "de -%1 à %1 séparés par une virgule : %2")
                                .arg(kMaxOffset)
                                .arg(value));
            o_.offset = QPointF(x, y);
            return true;
        }
        case Key::CalibrationPage:
            o_.calibrationPage = true;
            return true;
        case Key::Help:
            break;
        }
        return true;
    }

    CommandLineOptions& o_;
    QStringList given_;
    QString modeOption_;
};

} // namespace

CommandLineOptions CommandLineOptions::parse(const QStringList& arguments) {
    CommandLineOptions options;
    Parser(options).take(arguments);
    return options;
}

CommandLineOptions CommandLineOptions::parse(int argc, char** argv) {
    return parse(arguments(argc, argv));
}

QStringList CommandLineOptions::arguments(int argc, char** argv) {
    QStringList list;
    for (int i = 0; i < argc; ++i)
        list.append(FileNames::decode(argv[i]));
    return list;
}

QString CommandLineOptions::usage() {
    return QStringLiteral(
        "Utilisation :\n"
        "  vorlap [FICHIER.etq]\n"
        "      ouvre le dessinateur d'étiquettes, sur l'étiquette donnée s'il y en a une\n"
        "  vorlap --png SORTIE.png FICHIER.etq\n"
        "      écrit le dessin de l'étiquette, tel que la fenêtre le montre, en image PNG\n"
        "  vorlap --svg SORTIE.svg FICHIER.etq\n"
        "      écrit le même dessin en image vectorielle SVG, à la taille de l'étiquette\n"
        "  vorlap --pdf SORTIE.pdf [--dpi N] [--zoom Z] [--margins G,H,D,B] [--copies N] "
        "FICHIER.etq\n"
        "      écrit la planche d'étiquettes, telle qu'elle s'imprime, en PDF sur une page A4\n"
        "  vorlap --print [--printer NOM] [--copies N] [--zoom Z] [--margins G,H,D,B] "
        "FICHIER.etq\n"
        "      imprime la planche d'étiquettes\n"
        "  (--pdf et --print prennent aussi [--sheet CODE] [--first N] [--count N]\n"
        "   [--offset X,Y] [--merge LISTE.csv])\n"
        "  vorlap --calibration-page (--pdf SORTIE.pdf | --print [--printer NOM]) [--offset X,Y]\n"
        "      imprime la page de calibrage, qui mesure le décalage de l'imprimante\n"
        "  vorlap --list-sheets\n"
        "      affiche le catalogue des planches d'étiquettes\n"
        "\n"
        "Options :\n"
        "  --png SORTIE.png   image PNG à écrire\n"
        "  --svg SORTIE.svg   image SVG à écrire\n"
        "  --pdf SORTIE.pdf   fichier PDF à écrire\n"
        "  --print            imprime au lieu d'écrire un fichier\n"
        "  --printer NOM      imprimante à employer (sinon l'imprimante par défaut)\n"
        "  --dpi N            finesse du dessin du PDF en points par pouce, de 30 à 2400\n"
        "                     (300 par défaut) ; ne change aucune taille\n"
        "  --zoom Z           zoom en pour cent, de 1 à 1000 (par défaut celui de Vorlap.ini) ;\n"
        "                     100 : taille réelle\n"
        "  --margins G,H,D,B  marges gauche, haute, droite et basse en mm (par défaut celles\n"
        "                     de Vorlap.ini)\n"
        "  --copies N         nombre de copies, de 1 à 999 (1 par défaut)\n"
        "  --sheet CODE       planche d'étiquettes du catalogue (par défaut celle de\n"
        "                     l'étiquette, ou la planche calculée)\n"
        "  --first N          première étiquette imprimée sur la planche, de 1 au nombre\n"
        "                     d'étiquettes, comptée en rangées (1 par défaut)\n"
        "  --count N          nombre d'étiquettes imprimées (jusqu'au bout de la planche\n"
        "                     par défaut, ou de la liste avec --merge)\n"
        "  --merge LISTE.csv  une étiquette par ligne de la liste, planche après planche\n"
        "                     (par défaut la liste de l'étiquette, s'il y en a une)\n"
        "  --offset X,Y       décalage de l'imprimante en mm, de -10 à 10 (aucun par défaut)\n"
        "  --calibration-page la page de calibrage au lieu d'une planche d'étiquettes\n"
        "  --list-sheets      affiche le catalogue des planches, une par ligne\n"
        "  --help, -h         affiche cette aide\n"
        "  --                 la suite n'est que des noms de fichiers (pour un nom qui\n"
        "                     commence par -)\n");
}

PageSetupValues CommandLineOptions::pageSetup(const QString& startDirectory) const {
    PageSetupValues values = SettingsFile::load(startDirectory, {});
    if (zoom)
        values.zoom = *zoom;
    if (margins) {
        values.left = (*margins)[0];
        values.top = (*margins)[1];
        values.right = (*margins)[2];
        values.bottom = (*margins)[3];
    }
    return values;
}
