#include "CalibrationPage.h"

#include "PrintDevice.h"

#include <QFont>
#include <QLocale>
#include <QPainter>
#include <QTransform>

namespace {

// Each arm of a cross reaches this far from its centre.
constexpr double kArm = 5;
constexpr double kLineWidth = 0.2;
// The rulers' base lines lie this far from the top and left edges, their ticks toward the edge.
constexpr double kRuler = 10;
constexpr double kDistances[] = {20, 50};
constexpr double kMillimetresPerInch = 25.4;

QString millimetres(double mm) {
    return QLocale(QLocale::French, QLocale::France).toString(mm, 'f', 1);
}

QString instructions(QPointF offset, const QString& printer) {
    const QString who = printer.isEmpty() ? QStringLiteral("aucune (fichier)") : printer;
    return QStringLiteral(
               "Imprimante\u00a0: %1\n"
               "Décalage appliqué à cette page\u00a0: horizontal %2 mm, vertical %3 mm.\n\n"
               "Chaque croix est imprimée à 20 mm ou à 50 mm (le nombre écrit à côté) des deux "
               "bords de la feuille qui forment son coin. Les règles du haut et de gauche sont "
               "graduées en millimètres depuis le bord de la feuille. Une imprimante entraîne "
               "souvent le papier un peu à côté\u00a0: les croix tombent alors à côté de leur "
               "place.\n\n"
               "1. Avec une règle, mesurez la distance entre le bord gauche de la feuille et le "
               "centre de la croix «\u00a020 mm\u00a0» en haut à gauche, puis entre le bord haut "
               "et ce même centre.\n\n"
               "2. Le décalage à entrer est la place prévue moins la place mesurée, plus le "
               "décalage déjà appliqué à cette page (écrit plus haut). Par exemple, sans décalage "
               "appliqué\u00a0: si la croix prévue à 20 mm se trouve à 21,5 mm du bord gauche, "
               "entrez -1,5 comme décalage horizontal\u00a0; si elle se trouve à 19,2 mm du bord "
               "haut, entrez 0,8 comme décalage vertical.\n\n"
               "3. Menu Fichier > Mise en page..., avec cette imprimante choisie\u00a0: entrez ces "
               "valeurs dans «\u00a0Décalage horizontal\u00a0» et «\u00a0Décalage "
               "vertical\u00a0», puis OK. Elles sont gardées pour cette imprimante et valent pour "
               "le papier seulement, jamais pour l'aperçu ni pour un fichier PDF.\n\n"
               "4. Imprimez de nouveau cette page\u00a0: elle est imprimée avec le nouveau "
               "décalage, et les croix doivent tomber à leur place, à un dixième de millimètre "
               "près.\n\n"
               "Les croix à 20 et à 50 mm d'un même coin sont à 30 mm l'une de l'autre. Si ce "
               "n'est pas le cas, l'imprimante réduit ou agrandit la page\u00a0: demandez-lui "
               "l'impression à la taille réelle (100\u00a0%).")
        .arg(who, millimetres(offset.x()), millimetres(offset.y()));
}

} // namespace

QList<QPointF> calibrationCrosses(QSizeF paper) {
    QList<QPointF> crosses;
    for (const double d : kDistances)
        crosses << QPointF(d, d) << QPointF(paper.width() - d, d) << QPointF(d, paper.height() - d)
                << QPointF(paper.width() - d, paper.height() - d);
    return crosses;
}

void drawCalibrationPage(QPainter& painter, QSizeF paper, QPointF pixelsPerMm, QPointF offset,
                         const QString& printer) {
    painter.save();
    // Lines are drawn in millimetres from the paper's edge; texts in device pixels, so that
    // their points take the device's resolution as the sheet's texts do.
    const QTransform device = painter.worldTransform();
    const QTransform toDevice =
        QTransform::fromScale(pixelsPerMm.x(), pixelsPerMm.y()).translate(offset.x(), offset.y());
    const QTransform inMillimetres = toDevice * device;
    painter.setWorldTransform(inMillimetres);
    painter.setPen(QPen(Qt::black, kLineWidth, Qt::SolidLine, Qt::FlatCap));
    painter.setBrush(Qt::NoBrush);
    const auto text = [&](const QRectF& mm, int flags, const QString& words, double points,
                          bool bold = false) {
        QFont font(QStringLiteral("Arial"));
        font.setPointSizeF(points);
        font.setBold(bold);
        painter.setWorldTransform(device);
        painter.setFont(font);
        painter.drawText(toDevice.mapRect(mm), flags, words);
        painter.setWorldTransform(inMillimetres);
    };

    // The rulers, from the paper's edge: a tick every millimetre, longer every 5 and 10.
    painter.drawLine(QLineF(0, kRuler, paper.width(), kRuler));
    painter.drawLine(QLineF(kRuler, 0, kRuler, paper.height()));
    for (int mm = 0; mm <= int(paper.width()); ++mm) {
        const double length = mm % 10 == 0 ? 4 : mm % 5 == 0 ? 3 : 2;
        painter.drawLine(QLineF(mm, kRuler - length, mm, kRuler));
        if (mm % 10 == 0 && mm >= 20)
            text(QRectF(mm - 5, kRuler + 0.5, 10, 3), Qt::AlignHCenter | Qt::AlignTop,
                 QString::number(mm), 6);
    }
    for (int mm = 0; mm <= int(paper.height()); ++mm) {
        const double length = mm % 10 == 0 ? 4 : mm % 5 == 0 ? 3 : 2;
        painter.drawLine(QLineF(kRuler - length, mm, kRuler, mm));
        if (mm % 10 == 0 && mm >= 20)
            text(QRectF(kRuler + 0.7, mm - 1.5, 8, 3), Qt::AlignLeft | Qt::AlignVCenter,
                 QString::number(mm), 6);
    }

    // The crosses, each named by its distance from its corner's edges, on the page's side.
    const QList<QPointF> crosses = calibrationCrosses(paper);
    for (qsizetype i = 0; i < crosses.size(); ++i) {
        const QPointF c = crosses[i];
        painter.drawLine(QLineF(c.x() - kArm, c.y(), c.x() + kArm, c.y()));
        painter.drawLine(QLineF(c.x(), c.y() - kArm, c.x(), c.y() + kArm));
        const bool left = c.x() < paper.width() / 2;
        const bool top = c.y() < paper.height() / 2;
        const QRectF label(left ? c.x() + 1.5 : c.x() - 13.5, top ? c.y() + 1.5 : c.y() - 5.5, 12,
                           4);
        text(label,
             (left ? Qt::AlignLeft : Qt::AlignRight) | (top ? Qt::AlignTop : Qt::AlignBottom),
             QStringLiteral("%1 mm").arg(kDistances[i / 4]), 8);
    }

    text(QRectF(28, 62, paper.width() - 56, 10), Qt::AlignLeft | Qt::AlignTop,
         QStringLiteral("Page de calibrage de l'imprimante"), 14, true);
    text(QRectF(28, 74, paper.width() - 56, paper.height() - 74 - 62),
         Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, instructions(offset, printer), 10);
    painter.restore();
}

void printCalibrationPage(PrintDevice& device, QPointF offset, const QString& printer) {
    device.setDocumentName(QStringLiteral("Page de calibrage"));
    printCopies(device, 1, [&](QPainter& painter) {
        // A device pixel is exactly one dot of the resolution, whereas the page's size in pixels
        // is rounded from whole points (209.9 mm for A4), which would shrink the page by 0.05 %.
        const double perMm = device.resolution() / kMillimetresPerInch;
        drawCalibrationPage(painter, device.pageMillimetres(), QPointF(perMm, perMm), offset,
                            printer);
    });
}
