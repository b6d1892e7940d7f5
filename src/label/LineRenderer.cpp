#include "LineRenderer.h"

#include "PictureCache.h"
#include "Windows1252.h"

namespace {

constexpr ColorRef kSilver = 0x00C0C0C0;
constexpr ColorRef kWhite = 0x00FFFFFF;

} // namespace

void LineRenderer::applyStyles(QByteArrayView block) {
    StyleBlock style;
    style.brushStyle = canvas_.brushStyle();
    style.penStyle = canvas_.penStyle();
    style.fontStyle = canvas_.fontStyle();
    LineCodec::readStyles(block, style);
    canvas_.setBrushStyle(style.brushStyle);
    canvas_.setBrushColor(style.brushColor);
    canvas_.setPenStyle(style.penStyle);
    canvas_.setPenWidth(style.penWidth);
    canvas_.setPenColor(style.penColor);
    canvas_.setFontColor(style.fontColor);
    canvas_.setFontSize(style.fontSize);
    canvas_.setFontStyle(style.fontStyle);
    if (style.fontName != lastFontName_) {
        lastFontName_ = style.fontName;
        lastFontNameText_ = Windows1252::toUnicode(style.fontName);
    }
    canvas_.setFontName(lastFontNameText_);
}

bool LineRenderer::draw(QByteArrayView line, const RenderOptions& options, RenderState& state,
                        const QByteArray* owner) {
    QByteArrayView geometry = line;
    const qsizetype tab = line.indexOf('\t');
    if (tab >= 0) {
        QByteArrayView styles = line.sliced(tab + 1);
        if (styles.startsWith('>'))
            styles = styles.sliced(qMin<qsizetype>(2, styles.size()));
        applyStyles(styles.first(qMin<qsizetype>(styles.size(), LineCodec::kMaxFieldText)));
        geometry = line.first(tab);
    }
    const qsizetype blank = geometry.indexOf(' ');
    if (blank < 0)
        return false;
    const QByteArrayView keyword = geometry.first(blank);
    QByteArrayView rest = geometry.sliced(blank + 1);
    rest = rest.first(qMin<qsizetype>(rest.size(), LineCodec::kMaxFieldText));
    canvas_.setPenMode(PenMode::Copy);

    const int dx = options.offset.x();
    const int dy = options.offset.y();
    const int bgRight = dx + options.backgroundWidth;
    const int bgBottom = dy + options.backgroundHeight;

    if (keyword == "FILLRECT") {
        state.objectRect = LabelRect{0, 0, options.backgroundWidth, options.backgroundHeight};
        canvas_.fillRect(dx, dy, bgRight, bgBottom);
        return false;
    }
    if (keyword == "SHAPE") {
        state.objectRect = LabelRect{0, 0, options.backgroundWidth, options.backgroundHeight};
        state.savedBrushColor = canvas_.brushColor();
        state.savedBrushStyle = canvas_.brushStyle();
        canvas_.setBrushColor(canvas_.penColor());
        canvas_.fillRect(dx, dy, bgRight, bgBottom);
        canvas_.setBrushColor(state.savedBrushColor);
        canvas_.setBrushStyle(state.savedBrushStyle);
        canvas_.rectangle(dx, dy, bgRight, bgBottom);
        return false;
    }
    if (keyword == "COLOR" || keyword == "COLORU") {
        state.objectRect = LabelRect{0, 0, options.backgroundWidth, options.backgroundHeight};
        drawGradient(keyword == "COLOR", options);
        return false;
    }

    enum Kind {
        Line,
        LineUp,
        Rect,
        Ellipse,
        RoundRect,
        ArcL,
        ArcH,
        ArcLU,
        ArcHU,
        Polygon,
        Polyline,
        Text,
        Picture,
        None
    };
    static constexpr struct {
        const char* keyword;
        Kind kind;
    } kinds[] = {{"LINE", Line},       {"LINEU", LineUp},        {"RECT", Rect},
                 {"ELLIPSE", Ellipse}, {"ROUNDRECT", RoundRect}, {"ARCL", ArcL},
                 {"ARCH", ArcH},       {"ARCLU", ArcLU},         {"ARCHU", ArcHU},
                 {"POLYG", Polygon},   {"POLYL", Polyline},      {"DRAW", Polyline},
                 {"TEXT", Text},       {"BITMAP", Picture},      {"META", Picture}};
    Kind kind = None;
    for (const auto& entry : kinds) {
        if (keyword == entry.keyword) {
            kind = entry.kind;
            break;
        }
    }
    if (kind == None)
        return false;

    state.objectRect = LineCodec::readRect(rest);
    const int l = state.objectRect.left + dx;
    const int t = state.objectRect.top + dy;
    const int r = state.objectRect.right + dx;
    const int b = state.objectRect.bottom + dy;
    const QByteArrayView kindData = rest.size() > 12 ? rest.sliced(12) : QByteArrayView();

    switch (kind) {
    case Line:
        canvas_.moveTo(l, t);
        canvas_.lineTo(r, b);
        break;
    case LineUp:
        canvas_.moveTo(l, b);
        canvas_.lineTo(r, t);
        break;
    case Rect:
        canvas_.rectangle(l, t, r, b);
        break;
    case Ellipse:
        canvas_.ellipse(l, t, r, b);
        break;
    case RoundRect:
        canvas_.roundRect(l, t, r, b, (state.objectRect.left - state.objectRect.right) / 2,
                          (state.objectRect.top - state.objectRect.bottom) / 2);
        break;
    case ArcL:
        canvas_.arc(l, t, r, b, l, t, r, b);
        break;
    case ArcH:
        canvas_.arc(l, t, r, b, r, b, l, t);
        break;
    case ArcLU:
        canvas_.arc(l, b, r, t, l, b, r, t);
        break;
    case ArcHU:
        canvas_.arc(l, b, r, t, r, t, l, b);
        break;
    case Polygon:
    case Polyline: {
        state.points = LineCodec::readPoints(kindData);
        QList<QPoint> shifted = state.points;
        if (dx || dy)
            for (QPoint& p : shifted)
                p += options.offset;
        if (kind == Polygon)
            canvas_.polygon(shifted);
        else
            canvas_.polyline(shifted);
        break;
    }
    case Text:
        state.currentText = kindData.toByteArray();
        if (options.transparentText)
            canvas_.setBrushStyle(BrushClear);
        canvas_.textOut(l, t, Windows1252::toUnicode(kindData));
        break;
    case Picture: {
        const PictureCache::Picture picture =
            cache_ ? cache_->picture(kindData, owner) : PictureCache::decode(kindData);
        canvas_.stretchDraw(l, t, r, b, picture.columns, picture.size);
        break;
    }
    case None:
        break;
    }
    return kind == Polygon || kind == Polyline;
}

void LineRenderer::drawGradient(bool downward, const RenderOptions& options) {
    // The colour value runs on as one 32-bit number; only its low 24 bits are painted.
    quint32 value = canvas_.penColor();
    const int step = options.gradientHeight / 50;
    const int dx = options.offset.x();
    const int dy = options.offset.y();
    int y = 0;
    for (int band = 0; band < 50; ++band) {
        canvas_.setPenMode(PenMode::Copy);
        canvas_.setBrushColor(value & 0x00FFFFFF);
        canvas_.setPenColor(value & 0x00FFFFFF);
        canvas_.fillRect(dx, dy + y, dx + options.backgroundWidth, dy + options.backgroundHeight);
        value = downward ? value + 5 : value - 5;
        y += step;
    }
}

void LineRenderer::drawCdTemplate(int width, int height, QPoint offset) {
    const int x = offset.x();
    const int y = offset.y();
    canvas_.setBrushStyle(BrushSolid);
    canvas_.setBrushColor(kSilver);
    canvas_.fillRect(x, y, x + 3 * width, y + 3 * height);
    canvas_.ellipse(x + 4, y + 4, x + 374, y + 374);
    canvas_.setBrushColor(kSilver);
    canvas_.ellipse(x + 125, y + 125, x + 230, y + 230);
    canvas_.setBrushColor(kWhite);
}
