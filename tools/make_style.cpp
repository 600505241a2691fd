// Draws the bundled default style "WindowsStyle": backgrounds, button states,
// volume control, search and speaker pictures, tree and row icons, info.txt.
//
//   velmora_make_style <style folder> [--preview <png>]
//
// Run with QT_QPA_PLATFORM=offscreen. The look is a dark graphite face with a
// blue accent; it is made to read well with the default colour slots (light
// text on black panels, blue time display and level meter).

#include "GifWriter.h"
#include "StyleLayout.h"

#include <QDir>
#include <QFile>
#include <QFont>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QTextStream>

#include <cstdio>
#include <functional>

using velmora::tools::writeGif;
namespace layout = velmora::tools::layout;

namespace {

// ---- Palette ---------------------------------------------------------------

struct Theme {
    // Window faces.
    QColor faceTop{0x2e, 0x33, 0x3b};
    QColor faceBottom{0x1d, 0x21, 0x27};
    QColor faceEdgeLight{0x46, 0x4d, 0x58};
    QColor faceEdgeDark{0x0e, 0x10, 0x13};
    // Display panel: near black, so the default white, grey and blue texts read.
    QColor panelTop{0x06, 0x08, 0x0b};
    QColor panelBottom{0x10, 0x15, 0x1c};
    // Buttons.
    QColor buttonTop{0x3a, 0x40, 0x4a};
    QColor buttonBottom{0x2a, 0x2f, 0x37};
    QColor buttonHoverTop{0x48, 0x50, 0x5d};
    QColor buttonHoverBottom{0x35, 0x3b, 0x45};
    QColor buttonPressedTop{0x15, 0x18, 0x1d};
    QColor buttonPressedBottom{0x22, 0x27, 0x2e};
    QColor buttonBorder{0x52, 0x59, 0x66};
    QColor glyph{0xcf, 0xd6, 0xe0};
    QColor glyphHover{0xff, 0xff, 0xff};
    // The accent is the default time and level colour (0, 128, 255) softened.
    QColor accent{0x2f, 0x8c, 0xff};
    QColor accentLight{0x6c, 0xb2, 0xff};
    // Track list backdrop: darker than the default row text (95, 95, 95).
    QColor viewBase{0x0a, 0x0c, 0x10};
    // Default tree and track list background (colour slots 15 and 17).
    QColor treeBack{0, 0, 0};
};

const Theme theme;

enum class State { Normal, Hover, Pressed };
const char *const kStateSuffix[] = {"_n", "_u", "_d"};
constexpr State kStates[] = {State::Normal, State::Hover, State::Pressed};

QFont labelFont(int pixelSize)
{
    static const QString family = [] {
        const int id = QFontDatabase::addApplicationFont(
            QStringLiteral("/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"));
        const QStringList families = QFontDatabase::applicationFontFamilies(id);
        return families.isEmpty() ? QStringLiteral("DejaVu Sans") : families.first();
    }();
    QFont font(family);
    font.setPixelSize(pixelSize);
    font.setBold(true);
    font.setHintingPreference(QFont::PreferFullHinting);
    font.setStyleStrategy(QFont::PreferAntialias);
    return font;
}

QImage blank(QSize size)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

void antialiased(QPainter &p)
{
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
}

// ---- Backgrounds -----------------------------------------------------------

// A face gradient with a light top edge and a dark bottom edge. Only vertical
// features, so stretching it to any window width keeps it clean.
QImage drawFace(QSize size, bool framed)
{
    QImage image(size, QImage::Format_RGB32);
    QPainter p(&image);
    QLinearGradient g(0, 0, 0, size.height());
    g.setColorAt(0, theme.faceTop);
    g.setColorAt(1, theme.faceBottom);
    p.fillRect(image.rect(), g);
    p.setPen(theme.faceEdgeLight);
    p.drawLine(0, 0, size.width() - 1, 0);
    p.setPen(theme.faceEdgeDark);
    p.drawLine(0, size.height() - 1, size.width() - 1, size.height() - 1);
    if (framed) {
        p.setPen(theme.faceEdgeLight);
        p.drawLine(0, 0, 0, size.height() - 1);
        p.setPen(theme.faceEdgeDark);
        p.drawLine(size.width() - 1, 0, size.width() - 1, size.height() - 1);
    }
    return image;
}

QImage drawPanel()
{
    QImage image(layout::kPanelSize, QImage::Format_RGB32);
    QPainter p(&image);
    QLinearGradient g(0, 0, 0, image.height());
    g.setColorAt(0, theme.panelTop);
    g.setColorAt(1, theme.panelBottom);
    p.fillRect(image.rect(), g);
    // Faint LCD rows: every other line a touch darker.
    p.setPen(QColor(0, 0, 0, 60));
    for (int y = 1; y < image.height(); y += 2)
        p.drawLine(0, y, image.width() - 1, y);
    p.setPen(QColor(0, 0, 0, 140));
    p.drawLine(0, 0, image.width() - 1, 0);
    return image;
}

QImage drawViewBack()
{
    // A dark, very low contrast diagonal weave; the period divides the picture
    // size, so it tiles without seams wherever the list puts it.
    QImage image(layout::kViewBackSize, QImage::Format_RGB32);
    image.fill(theme.viewBase);
    for (int y = 0; y < image.height(); ++y) {
        QRgb *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const int phase = (x + y) % 8;
            const int lift = phase == 0 ? 3 : phase == 1 ? 1 : 0;
            const QColor c = theme.viewBase;
            line[x] = qRgb(c.red() + lift, c.green() + lift, c.blue() + lift + 1);
        }
    }
    return image;
}

// ---- Buttons ---------------------------------------------------------------

// The background under a picture placed at `at` on a window whose face is
// `face` (the face image is drawn at the window's default size).
QImage backdropAt(const QImage &face, QPoint at, QSize size)
{
    return face.copy(QRect(at, size)).convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

// Flattens a soft-edged drawing onto the backdrop it will be shown on. Pixels
// the drawing leaves (almost) empty become transparent; all others are opaque,
// so the one-bit GIF transparency shows no fringes.
QImage flatten(const QImage &layer, const QImage &backdrop)
{
    QImage out = backdrop.copy();
    {
        QPainter p(&out);
        p.drawImage(0, 0, layer);
    }
    out = out.convertToFormat(QImage::Format_ARGB32);
    const QImage alpha = layer.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < out.height(); ++y) {
        QRgb *o = reinterpret_cast<QRgb *>(out.scanLine(y));
        const QRgb *a = reinterpret_cast<const QRgb *>(alpha.constScanLine(y));
        for (int x = 0; x < out.width(); ++x)
            o[x] = qAlpha(a[x]) < 12 ? qRgba(0, 0, 0, 0) : (o[x] | 0xff000000u);
    }
    return out;
}

using GlyphPainter = std::function<void(QPainter &, QRectF box, const QColor &ink)>;

QImage drawButton(QSize size, State state, const GlyphPainter &glyph, qreal radius = 3.0)
{
    QImage layer = blank(size);
    QPainter p(&layer);
    antialiased(p);
    const QRectF body = QRectF(0, 0, size.width(), size.height()).adjusted(0.5, 0.5, -0.5, -0.5);
    QPainterPath shape;
    shape.addRoundedRect(body, radius, radius);

    QLinearGradient fill(0, 0, 0, size.height());
    QColor border = theme.buttonBorder;
    QColor ink = theme.glyph;
    switch (state) {
    case State::Normal:
        fill.setColorAt(0, theme.buttonTop);
        fill.setColorAt(1, theme.buttonBottom);
        break;
    case State::Hover:
        fill.setColorAt(0, theme.buttonHoverTop);
        fill.setColorAt(1, theme.buttonHoverBottom);
        border = theme.accent;
        ink = theme.glyphHover;
        break;
    case State::Pressed:
        fill.setColorAt(0, theme.buttonPressedTop);
        fill.setColorAt(1, theme.buttonPressedBottom);
        border = theme.accent.darker(115);
        ink = theme.accentLight;
        break;
    }
    p.fillPath(shape, fill);

    // Bevel: a light line under the top edge, or an inner shadow when pressed.
    p.save();
    p.setClipPath(shape);
    if (state == State::Pressed) {
        p.setPen(QPen(QColor(0, 0, 0, 150), 1.0));
        p.drawLine(QPointF(1, 1.5), QPointF(size.width() - 1, 1.5));
    } else {
        p.setPen(QPen(QColor(255, 255, 255, state == State::Hover ? 48 : 30), 1.0));
        p.drawLine(QPointF(1, 1.5), QPointF(size.width() - 1, 1.5));
    }
    p.restore();
    p.setPen(QPen(border, 1.0));
    p.setBrush(Qt::NoBrush);
    p.drawPath(shape);

    QRectF box = QRectF(0, 0, size.width(), size.height());
    if (state == State::Pressed)
        box.translate(0, 1);
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    glyph(p, box, ink);
    return layer;
}

// Glyphs are drawn in a box centred on the button; `unit` is the glyph height.
QRectF centred(QRectF box, qreal w, qreal h)
{
    return QRectF(box.center().x() - w / 2, box.center().y() - h / 2, w, h);
}

void glyphPlay(QPainter &p, QRectF box, const QColor &)
{
    const QRectF g = centred(box, 7, 9);
    QPainterPath path;
    path.moveTo(g.left(), g.top());
    path.lineTo(g.right(), g.center().y());
    path.lineTo(g.left(), g.bottom());
    path.closeSubpath();
    p.drawPath(path);
}

void glyphPause(QPainter &p, QRectF box, const QColor &)
{
    const QRectF g = centred(box, 8, 9);
    p.drawRect(QRectF(g.left(), g.top(), 3, g.height()));
    p.drawRect(QRectF(g.right() - 3, g.top(), 3, g.height()));
}

void glyphStop(QPainter &p, QRectF box, const QColor &)
{
    p.drawRect(centred(box, 8, 8));
}

void glyphNext(QPainter &p, QRectF box, const QColor &)
{
    const QRectF g = centred(box, 9, 9);
    QPainterPath path;
    path.moveTo(g.left(), g.top());
    path.lineTo(g.left() + 6.5, g.center().y());
    path.lineTo(g.left(), g.bottom());
    path.closeSubpath();
    p.drawPath(path);
    p.drawRect(QRectF(g.right() - 2, g.top(), 2, g.height()));
}

void glyphList(QPainter &p, QRectF box, const QColor &)
{
    const QRectF g = centred(box, 10, 9);
    for (int i = 0; i < 3; ++i) {
        const qreal y = g.top() + i * 3.5;
        p.drawRect(QRectF(g.left(), y, 2, 2));
        p.drawRect(QRectF(g.left() + 3.5, y, g.width() - 3.5, 2));
    }
}

void glyphClose(QPainter &p, QRectF box, const QColor &ink)
{
    const QRectF g = centred(box, 6.5, 6.5);
    p.save();
    p.setPen(QPen(ink, 1.6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(g.topLeft(), g.bottomRight());
    p.drawLine(g.topRight(), g.bottomLeft());
    p.restore();
}

// A small caret telling that the button opens a menu (up or down).
void caret(QPainter &p, QPointF centre, bool up)
{
    QPainterPath path;
    const qreal d = up ? -1 : 1;
    path.moveTo(centre.x() - 2.5, centre.y() - d * 1.25);
    path.lineTo(centre.x() + 2.5, centre.y() - d * 1.25);
    path.lineTo(centre.x(), centre.y() + d * 1.25);
    path.closeSubpath();
    p.drawPath(path);
}

GlyphPainter textGlyph(const QString &text, bool menuUp)
{
    return [text, menuUp](QPainter &p, QRectF box, const QColor &ink) {
        p.save();
        p.setPen(ink);
        p.setFont(labelFont(9));
        p.drawText(box.adjusted(1, 0, -10, 0), Qt::AlignCenter, text);
        p.restore();
        caret(p, QPointF(box.right() - 6, box.center().y()), menuUp);
    };
}

GlyphPainter adminGlyph()
{
    return [](QPainter &p, QRectF box, const QColor &ink) {
        QRectF icon(box.left() + 8, box.top(), 12, box.height());
        glyphList(p, icon, ink);
        p.save();
        p.setPen(ink);
        p.setFont(labelFont(9));
        p.drawText(box.adjusted(22, 0, -12, 0), Qt::AlignVCenter | Qt::AlignLeft,
                   QStringLiteral("Playlist"));
        p.restore();
        caret(p, QPointF(box.right() - 8, box.center().y()), false);
    };
}

// ---- Small pictures of the playlist window ---------------------------------

QImage drawSearch(const QImage &backdrop)
{
    QImage layer = blank(layout::kSearchSize);
    QPainter p(&layer);
    antialiased(p);
    p.setPen(QPen(theme.glyph, 1.7));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(6.5, 6.5), 4.2, 4.2);
    p.setPen(QPen(theme.glyph, 2.4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(9.8, 9.8), QPointF(13.6, 13.6));
    return flatten(layer, backdrop);
}

QImage drawSpeaker(const QImage &backdrop, bool muted)
{
    QImage layer = blank(layout::kSpeakerSize);
    QPainter p(&layer);
    antialiased(p);
    QPainterPath body;
    body.moveTo(1.5, 5.5);
    body.lineTo(4.5, 5.5);
    body.lineTo(8.5, 2.0);
    body.lineTo(8.5, 14.0);
    body.lineTo(4.5, 10.5);
    body.lineTo(1.5, 10.5);
    body.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(muted ? QColor(0x8a, 0x92, 0x9e) : theme.glyph);
    p.drawPath(body);
    if (muted) {
        p.setPen(QPen(QColor(0xff, 0x5a, 0x5f), 1.7, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(10.5, 5.5), QPointF(14.5, 10.5));
        p.drawLine(QPointF(14.5, 5.5), QPointF(10.5, 10.5));
    } else {
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(theme.accentLight, 1.4, Qt::SolidLine, Qt::RoundCap));
        p.drawArc(QRectF(6.5, 5.0, 5, 6), -60 * 16, 120 * 16);
        p.drawArc(QRectF(6.0, 2.5, 9, 11), -60 * 16, 120 * 16);
    }
    return flatten(layer, backdrop);
}

QImage drawVolumeBar(const QImage &backdrop)
{
    const QSize size = layout::kVolumeBarSize;
    QImage layer = blank(size);
    QPainter p(&layer);
    antialiased(p);
    // A wedge that grows from left to right, over a dark groove; the knob's
    // left edge travels 0..100, so the wedge spans the knob's centre line.
    const qreal left = layout::kKnobSize.width() / 2.0;
    const qreal right = left + 100;
    QPainterPath groove;
    groove.addRoundedRect(QRectF(0.5, 2.5, size.width() - 1, 3), 1.5, 1.5);
    p.setPen(QPen(QColor(0x0b, 0x0d, 0x10), 1.0));
    p.setBrush(QColor(0x14, 0x17, 0x1c));
    p.drawPath(groove);
    QPainterPath wedge;
    wedge.moveTo(left, 5.0);
    wedge.lineTo(right, 5.0);
    wedge.lineTo(right, 1.5);
    wedge.closeSubpath();
    QLinearGradient g(left, 0, right, 0);
    g.setColorAt(0, theme.accent.darker(220));
    g.setColorAt(1, theme.accent);
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawPath(wedge);
    return flatten(layer, backdrop);
}

QImage drawKnob(const QImage &backdrop)
{
    const QSize size = layout::kKnobSize;
    QImage layer = blank(size);
    QPainter p(&layer);
    antialiased(p);
    QPainterPath pill;
    pill.addRoundedRect(QRectF(0.5, 0.5, size.width() - 1, size.height() - 1), 3, 3);
    QLinearGradient g(0, 0, 0, size.height());
    g.setColorAt(0, QColor(0xf2, 0xf5, 0xf9));
    g.setColorAt(1, QColor(0xb4, 0xbd, 0xc9));
    p.setBrush(g);
    p.setPen(QPen(QColor(0x10, 0x13, 0x17), 1.0));
    p.drawPath(pill);
    p.setPen(QPen(theme.accent, 1.0));
    p.drawLine(QPointF(7, 2), QPointF(7, size.height() - 2));
    return flatten(layer, backdrop);
}

// ---- Icons -----------------------------------------------------------------

// Icons are 24-bit BMP files. Empty areas hold the key colour black (0, 0, 0),
// which is also the default tree and track list background, so the icons look
// right even where the key colour is not cut out. Edges are cut at half
// coverage and keep their own colour, so a cut-out icon shows no dark fringe
// on a light tree; no drawn pixel is pure black.
QImage flattenIcon(const QImage &layer)
{
    const QImage argb = layer.convertToFormat(QImage::Format_ARGB32);
    QImage out(layer.size(), QImage::Format_RGB32);
    for (int y = 0; y < out.height(); ++y) {
        QRgb *o = reinterpret_cast<QRgb *>(out.scanLine(y));
        const QRgb *a = reinterpret_cast<const QRgb *>(argb.constScanLine(y));
        for (int x = 0; x < out.width(); ++x) {
            if (qAlpha(a[x]) < 100)
                o[x] = layout::kIconKey;
            else if ((a[x] & 0xffffffu) == (layout::kIconKey & 0xffffffu))
                o[x] = qRgb(6, 6, 6);
            else
                o[x] = a[x] | 0xff000000u;
        }
    }
    return out.convertToFormat(QImage::Format_RGB888);
}

using IconPainter = std::function<void(QPainter &)>;

QImage drawIcon(const IconPainter &paint)
{
    QImage layer = blank(layout::kIconSize);
    QPainter p(&layer);
    antialiased(p);
    paint(p);
    p.end();
    return flattenIcon(layer);
}

void iconNote(QPainter &p, const QColor &ink)
{
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    p.save();
    p.translate(6.0, 11.5);
    p.rotate(-20);
    p.drawEllipse(QPointF(0, 0), 2.8, 2.0);
    p.restore();
    p.drawRect(QRectF(7.6, 3.0, 1.3, 8.3));
    QPainterPath flag;
    flag.moveTo(8.9, 3.0);
    flag.cubicTo(11.5, 4.0, 12.5, 5.5, 11.8, 8.0);
    flag.cubicTo(11.5, 6.5, 10.5, 5.8, 8.9, 5.6);
    flag.closeSubpath();
    p.drawPath(flag);
}

void iconPlaying(QPainter &p)
{
    QLinearGradient disc(0, 1, 0, 15);
    disc.setColorAt(0, theme.accentLight);
    disc.setColorAt(1, theme.accent.darker(120));
    p.setPen(QPen(QColor(0x0a, 0x2a, 0x55), 0.8));
    p.setBrush(disc);
    p.drawEllipse(QPointF(8, 8), 6.6, 6.6);
    QPainterPath tri;
    tri.moveTo(6.2, 4.6);
    tri.lineTo(11.4, 8.0);
    tri.lineTo(6.2, 11.4);
    tri.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawPath(tri);
}

void iconFolder(QPainter &p, bool open)
{
    const QColor back(0xb9, 0x86, 0x2d), front(0xe8, 0xb4, 0x4e), edge(0x6e, 0x4e, 0x16);
    p.setPen(QPen(edge, 0.8));
    QPainterPath tab;
    tab.moveTo(1.5, 13.5);
    tab.lineTo(1.5, 3.5);
    tab.lineTo(6.0, 3.5);
    tab.lineTo(7.5, 5.0);
    tab.lineTo(14.5, 5.0);
    tab.lineTo(14.5, 13.5);
    tab.closeSubpath();
    p.setBrush(back);
    p.drawPath(tab);
    if (open) {
        p.setBrush(QColor(0xf4, 0xf0, 0xe6));
        p.setPen(Qt::NoPen);
        p.drawRect(QRectF(3.5, 6.0, 9.5, 5));
        QPainterPath flap;
        flap.moveTo(1.5, 13.5);
        flap.lineTo(3.8, 7.8);
        flap.lineTo(15.5, 7.8);
        flap.lineTo(13.8, 13.5);
        flap.closeSubpath();
        p.setPen(QPen(edge, 0.8));
        p.setBrush(front);
        p.drawPath(flap);
    } else {
        QPainterPath body;
        body.addRoundedRect(QRectF(1.5, 6.5, 13, 7), 0.8, 0.8);
        p.setBrush(front);
        p.drawPath(body);
        p.setPen(QPen(QColor(255, 255, 255, 90), 0.8));
        p.drawLine(QPointF(2.5, 7.6), QPointF(13.5, 7.6));
    }
}

void iconSheet(QPainter &p, bool open)
{
    QPainterPath sheet;
    sheet.moveTo(3.5, 1.5);
    sheet.lineTo(10.0, 1.5);
    sheet.lineTo(13.5, 5.0);
    sheet.lineTo(13.5, 14.5);
    sheet.lineTo(3.5, 14.5);
    sheet.closeSubpath();
    p.setPen(QPen(QColor(0x4a, 0x52, 0x5e), 0.8));
    p.setBrush(open ? QColor(0xf4, 0xf7, 0xfb) : QColor(0xc8, 0xcf, 0xd9));
    p.drawPath(sheet);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x8f, 0x98, 0xa6));
    QPainterPath fold;
    fold.moveTo(10.0, 1.5);
    fold.lineTo(10.0, 5.0);
    fold.lineTo(13.5, 5.0);
    fold.closeSubpath();
    p.drawPath(fold);
    const QColor line = open ? theme.accent : QColor(0x6b, 0x73, 0x80);
    p.setBrush(line);
    for (int i = 0; i < 4; ++i)
        p.drawRect(QRectF(5.5, 6.5 + i * 2, i == 3 ? 4.0 : 6.0, 1.0));
    if (open) {
        QPainterPath tri;
        tri.moveTo(9.5, 10.0);
        tri.lineTo(14.5, 12.5);
        tri.lineTo(9.5, 15.0);
        tri.closeSubpath();
        p.setPen(QPen(QColor(0x0a, 0x2a, 0x55), 0.6));
        p.setBrush(theme.accentLight);
        p.drawPath(tri);
    }
}

void iconStar(QPainter &p, bool open)
{
    QPainterPath star;
    for (int i = 0; i < 10; ++i) {
        const qreal angle = -M_PI / 2 + i * M_PI / 5;
        const qreal r = i % 2 == 0 ? 7.0 : 2.9;
        const QPointF pt(8 + r * std::cos(angle), 8.4 + r * std::sin(angle));
        i == 0 ? star.moveTo(pt) : star.lineTo(pt);
    }
    star.closeSubpath();
    QLinearGradient g(0, 1, 0, 15);
    g.setColorAt(0, open ? QColor(0xff, 0xe5, 0x8a) : QColor(0xf5, 0xc8, 0x4c));
    g.setColorAt(1, open ? QColor(0xf5, 0xb0, 0x2a) : QColor(0xc9, 0x8c, 0x1c));
    p.setPen(QPen(QColor(0x7a, 0x52, 0x08), 0.8));
    p.setBrush(g);
    p.drawPath(star);
    if (open) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(255, 255, 255, 200));
        p.drawEllipse(QPointF(6.6, 6.8), 1.1, 1.1);
    }
}

void iconNotFound(QPainter &p)
{
    p.setPen(QPen(QColor(0x7a, 0x14, 0x18), 0.8));
    p.setBrush(QColor(0xe5, 0x48, 0x4d));
    p.drawEllipse(QPointF(8, 8), 6.5, 6.5);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawRoundedRect(QRectF(7.0, 3.8, 2.0, 5.6), 0.8, 0.8);
    p.drawEllipse(QPointF(8.0, 11.4), 1.15, 1.15);
}

void iconDustBox(QPainter &p)
{
    const QColor ink(0xa7, 0xb0, 0xbd), edge(0x3c, 0x43, 0x4d);
    p.setPen(QPen(edge, 0.8));
    p.setBrush(ink);
    QPainterPath can;
    can.moveTo(3.5, 5.0);
    can.lineTo(12.5, 5.0);
    can.lineTo(11.6, 14.5);
    can.lineTo(4.4, 14.5);
    can.closeSubpath();
    p.drawPath(can);
    p.drawRoundedRect(QRectF(2.0, 3.0, 12.0, 2.0), 0.6, 0.6);
    p.drawRect(QRectF(6.0, 1.5, 4.0, 1.5));
    p.setPen(QPen(QColor(0x5e, 0x66, 0x72), 1.0));
    for (const qreal x : {6.2, 8.0, 9.8})
        p.drawLine(QPointF(x, 7.0), QPointF(x, 12.8));
}

// ---- Writing ---------------------------------------------------------------

struct Writer {
    QDir dir;
    int failures = 0;

    void gif(const QString &name, const QImage &image)
    {
        if (!writeGif(image, dir.filePath(name))) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(dir.filePath(name)));
            ++failures;
        }
    }
    void picture(const QString &name, const QImage &image, int quality = -1)
    {
        if (!image.save(dir.filePath(name), nullptr, quality)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(dir.filePath(name)));
            ++failures;
        }
    }
    void text(const QString &name, const QStringList &lines)
    {
        QFile file(dir.filePath(name));
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            ++failures;
            return;
        }
        for (const QString &line : lines)
            file.write(line.toUtf8() + "\r\n");
    }
};

struct Pictures {
    QImage mainBack, panelBack, listBack, viewBack;
    QImage mainButtons[5][3];
    QImage listButtons[6][3];
    QImage search, volumeOn, mute, volumeBar, knob;
    QImage icons[10];
};

Pictures drawAll()
{
    Pictures out;
    out.mainBack = drawFace(layout::kMainWindowSize, true);
    out.panelBack = drawPanel();
    out.listBack = drawFace(layout::kListWindowSize, true);
    out.viewBack = drawViewBack();

    const GlyphPainter mainGlyphs[5] = {glyphPlay, glyphPause, glyphStop, glyphNext, glyphList};
    for (int b = 0; b < 5; ++b) {
        const QImage under = backdropAt(out.mainBack, layout::mainButtonRect(b).topLeft(),
                                        layout::kMainButtonSize);
        for (int s = 0; s < 3; ++s)
            out.mainButtons[b][s] =
                flatten(drawButton(layout::kMainButtonSize, kStates[s], mainGlyphs[b]), under);
    }

    const GlyphPainter listGlyphs[6] = {
        adminGlyph(),
        glyphClose,
        textGlyph(QStringLiteral("Add"), true),
        textGlyph(QStringLiteral("Delete"), true),
        textGlyph(QStringLiteral("Select"), true),
        textGlyph(QStringLiteral("Etc."), true),
    };
    for (int b = 0; b < 6; ++b) {
        const QRect at = layout::listButtonRect(b);
        const QImage under = backdropAt(out.listBack, at.topLeft(), at.size());
        for (int s = 0; s < 3; ++s)
            out.listButtons[b][s] = flatten(
                drawButton(at.size(), kStates[s], listGlyphs[b], b == 1 ? 8.0 : 3.0), under);
    }

    auto under = [&](QRect r) { return backdropAt(out.listBack, r.topLeft(), r.size()); };
    out.search = drawSearch(under(layout::searchRect()));
    out.volumeOn = drawSpeaker(under(layout::speakerRect()), false);
    out.mute = drawSpeaker(under(layout::speakerRect()), true);
    out.volumeBar = drawVolumeBar(under(layout::volumeBarRect()));
    // The knob sits on the bar, so its soft edges blend over the bar's middle.
    QImage barUnder = under(layout::volumeBarRect());
    {
        QPainter p(&barUnder);
        p.drawImage(0, 0, out.volumeBar);
    }
    out.knob = drawKnob(barUnder.copy(QRect(QPoint(50, 0), layout::kKnobSize)));

    out.icons[0] = drawIcon([](QPainter &p) { iconNote(p, QColor(0x78, 0x80, 0x8c)); });
    out.icons[1] = drawIcon(iconPlaying);
    out.icons[2] = drawIcon([](QPainter &p) { iconFolder(p, false); });
    out.icons[3] = drawIcon([](QPainter &p) { iconFolder(p, true); });
    out.icons[4] = drawIcon([](QPainter &p) { iconSheet(p, false); });
    out.icons[5] = drawIcon([](QPainter &p) { iconSheet(p, true); });
    out.icons[6] = drawIcon([](QPainter &p) { iconStar(p, false); });
    out.icons[7] = drawIcon([](QPainter &p) { iconStar(p, true); });
    out.icons[8] = drawIcon(iconNotFound);
    out.icons[9] = drawIcon(iconDustBox);
    return out;
}

int writeStyle(const Pictures &pics, const QString &folder)
{
    Writer w{QDir(folder)};
    if (!w.dir.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "cannot create %s\n", qPrintable(folder));
        return 1;
    }
    w.picture(QStringLiteral("mainback.bmp"), pics.mainBack);
    w.picture(QStringLiteral("panelback.bmp"), pics.panelBack);
    w.picture(QStringLiteral("listback.jpg"), pics.listBack, 95);
    w.picture(QStringLiteral("viewback.jpg"), pics.viewBack, 92);
    for (int b = 0; b < 5; ++b)
        for (int s = 0; s < 3; ++s)
            w.gif(QLatin1String(layout::kMainButtonNames[b]) + QLatin1String(kStateSuffix[s]) +
                      QStringLiteral(".gif"),
                  pics.mainButtons[b][s]);
    for (int b = 0; b < 6; ++b)
        for (int s = 0; s < 3; ++s)
            w.gif(QLatin1String(layout::kListButtonNames[b]) + QLatin1String(kStateSuffix[s]) +
                      QStringLiteral(".gif"),
                  pics.listButtons[b][s]);
    w.gif(QStringLiteral("search.gif"), pics.search);
    w.gif(QStringLiteral("volume_on.gif"), pics.volumeOn);
    w.gif(QStringLiteral("mute.gif"), pics.mute);
    w.gif(QStringLiteral("volume_bar.gif"), pics.volumeBar);
    w.gif(QStringLiteral("volume_pinch.gif"), pics.knob);
    for (int i = 0; i < 10; ++i)
        w.picture(QLatin1String(layout::kIconNames[i]) + QStringLiteral(".bmp"), pics.icons[i]);
    w.text(QStringLiteral("info.txt"),
           {QStringLiteral("WindowsStyle"), QStringLiteral("1.0"), QStringLiteral("Velmora Project"),
            QStringLiteral("-"), QStringLiteral("-"),
            QStringLiteral("Velmora 標準スタイル（グラファイトと青のアクセント）")});
    return w.failures == 0 ? 0 : 1;
}

// ---- Preview ---------------------------------------------------------------

// Reads the written files back (so the preview shows what a player will load)
// and lays them out as the two windows with the default colour slots.
QImage composePreview(const QString &folder)
{
    const QDir dir(folder);
    auto load = [&](const QString &name) { return QImage(dir.filePath(name)); };
    auto keyed = [](QImage icon) {
        icon = icon.convertToFormat(QImage::Format_ARGB32);
        for (int y = 0; y < icon.height(); ++y)
            for (int x = 0; x < icon.width(); ++x)
                if ((icon.pixel(x, y) & 0xffffffu) == (layout::kIconKey & 0xffffffu))
                    icon.setPixel(x, y, 0);
        return icon;
    };
    const QSize mainSize = layout::kMainWindowSize;
    const QSize listSize = layout::kListWindowSize;
    QImage canvas(QSize(listSize.width() + 20, 3 * (mainSize.height() + 6) + listSize.height() + 60),
                  QImage::Format_RGB32);
    canvas.fill(QColor(0x80, 0x84, 0x8a));
    QPainter p(&canvas);
    p.setRenderHint(QPainter::TextAntialiasing);
    QFont ui(QStringLiteral("IPAPGothic"));
    ui.setPixelSize(11);

    // Main window, one row per button state.
    const QString modes[3] = {QStringLiteral("Normal"), QStringLiteral("Repeat"),
                              QStringLiteral("Random")};
    for (int s = 0; s < 3; ++s) {
        const QPoint origin(10, 10 + s * (mainSize.height() + 6));
        p.save();
        p.translate(origin);
        p.drawImage(QRect(QPoint(0, 0), mainSize), load(QStringLiteral("mainback.bmp")));
        const QRect display = layout::displayRect();
        p.setPen(QColor(0x3b, 0x42, 0x4c));
        p.drawRect(display.adjusted(-1, -1, 0, 0));
        p.fillRect(display, Qt::black);
        p.setClipRect(display);
        p.drawImage(display.topLeft(), load(QStringLiteral("panelback.bmp")));
        p.setFont(ui);
        p.setPen(Qt::white);
        p.drawText(display.adjusted(6, 0, 0, 0), Qt::AlignVCenter,
                   QStringLiteral("夜明けのワルツ - Velmora サウンド"));
        const int modeLeft = display.right() + 1 - 62;
        p.setPen(QColor(0, 128, 255));
        p.drawText(QRect(modeLeft - 38, display.top(), 32, display.height()), Qt::AlignVCenter,
                   QStringLiteral("01:23"));
        p.setPen(QColor(0xc0, 0xc0, 0xc0));
        p.drawText(QRect(modeLeft, display.top(), 37, display.height()), Qt::AlignVCenter, modes[s]);
        const QColor levels[3] = {QColor(0, 128, 255), QColor(0, 94, 187), QColor(0, 62, 123)};
        for (int c = 0; c < 3; ++c)
            for (int seg = 0; seg < 3 - (c + s) % 3 + (c == 1 ? 0 : 0); ++seg)
                p.fillRect(display.right() + 1 - 21 + c * 4, display.bottom() - 3 - seg * 4, 3, 3,
                           levels[seg]);
        p.setClipping(false);
        for (int b = 0; b < 5; ++b)
            p.drawImage(layout::mainButtonRect(b).topLeft(),
                        load(QLatin1String(layout::kMainButtonNames[b]) +
                             QLatin1String(kStateSuffix[s]) + QStringLiteral(".gif")));
        p.restore();
    }

    // Playlist window at its default size; buttons 3..6 show the three states.
    const QPoint origin(10, 10 + 3 * (mainSize.height() + 6) + 14);
    p.translate(origin);
    p.drawImage(QRect(QPoint(0, 0), listSize), load(QStringLiteral("listback.jpg")));
    const QRect tree = layout::treeRect(), list = layout::listRect();
    p.fillRect(tree, Qt::black);
    p.drawImage(list.topLeft(), load(QStringLiteral("viewback.jpg")), QRect(QPoint(0, 0), list.size()));
    p.setFont(ui);
    const char *const treeIcons[] = {"favor_close", "category_open", "playlist_close",
                                     "playlist_open", "category_close", "playlist_close",
                                     "dustbox"};
    const QString treeTexts[] = {QStringLiteral("お気に入り"), QStringLiteral("ジャズ"),
                                 QStringLiteral("夜の散歩"),     QStringLiteral("休日の朝"),
                                 QStringLiteral("クラシック"),   QStringLiteral("AutoPlaylist"),
                                 QStringLiteral("ごみ箱")};
    for (int i = 0; i < 7; ++i) {
        const int indent = (i == 2 || i == 3) ? 18 : 0;
        const int y = tree.top() + 3 + i * 18;
        if (i == 3)
            p.fillRect(tree.left() + indent + 20, y, 62, 16, QColor(0, 64, 128));
        p.drawImage(tree.left() + 3 + indent, y, keyed(load(QLatin1String(treeIcons[i]) + ".bmp")));
        p.setPen(i == 3 ? QColor(255, 128, 0) : Qt::white);
        p.drawText(QRect(tree.left() + 22 + indent, y, 160, 16), Qt::AlignVCenter, treeTexts[i]);
    }
    const QString rows[] = {QStringLiteral("夜明けのワルツ"), QStringLiteral("雨上がりの散歩道"),
                            QStringLiteral("Little Chime"), QStringLiteral("Velmora Demo Tune"),
                            QStringLiteral("missing-file.mp3")};
    for (int i = 0; i < 5; ++i) {
        const int y = list.top() + 2 + i * 17;
        const char *icon = i == 1 ? "play_on" : i == 4 ? "notfound" : "play_off";
        p.drawImage(list.left() + 3, y, keyed(load(QLatin1String(icon) + ".bmp")));
        p.setPen(i == 1 ? Qt::white : QColor(0x5f, 0x5f, 0x5f));
        p.drawText(QRect(list.left() + 24, y, 180, 16), Qt::AlignVCenter,
                   QStringLiteral("%1  %2").arg(i + 1, 3, 10, QLatin1Char('0')).arg(rows[i]));
        p.drawText(QRect(list.left() + 230, y, 120, 16), Qt::AlignVCenter,
                   QStringLiteral("Velmora サウンド"));
    }
    for (const QRect &box : {layout::addressRect(), layout::searchBoxRect()}) {
        p.fillRect(box, Qt::black);
        p.setPen(QColor(0x3b, 0x42, 0x4c));
        p.drawRect(box.adjusted(0, 0, -1, -1));
    }
    p.setPen(Qt::white);
    p.drawText(layout::addressRect().adjusted(4, 0, 0, 0), Qt::AlignVCenter,
               QStringLiteral("ジャズ/休日の朝"));
    const QRect seek = layout::seekRect();
    p.fillRect(seek, Qt::black);
    p.fillRect(QRect(seek.topLeft(), QSize(seek.width() * 2 / 5, seek.height())), Qt::white);
    p.setPen(QColor(0xc8, 0xcc, 0xd2));
    p.drawText(layout::statusRect(), Qt::AlignVCenter, QStringLiteral("0002 / 0005"));
    p.drawImage(layout::searchRect().topLeft(), load(QStringLiteral("search.gif")));
    p.drawImage(layout::speakerRect().topLeft(), load(QStringLiteral("volume_on.gif")));
    p.drawImage(layout::speakerRect().topLeft() + QPoint(-18, 0), load(QStringLiteral("mute.gif")));
    p.drawImage(layout::volumeBarRect().topLeft(), load(QStringLiteral("volume_bar.gif")));
    p.drawImage(layout::volumeBarRect().topLeft() + QPoint(70, 0),
                load(QStringLiteral("volume_pinch.gif")));
    const int listStates[6] = {0, 0, 0, 1, 2, 0};
    for (int b = 0; b < 6; ++b)
        p.drawImage(layout::listButtonRect(b).topLeft(),
                    load(QLatin1String(layout::kListButtonNames[b]) +
                         QLatin1String(kStateSuffix[listStates[b]]) + QStringLiteral(".gif")));
    // The three states of the administration and close buttons, on the face.
    for (int s = 0; s < 3; ++s) {
        p.drawImage(QPoint(250 + s * 150, listSize.height() + 6),
                    load(QStringLiteral("admin") + QLatin1String(kStateSuffix[s]) + ".gif"));
        p.drawImage(QPoint(355 + s * 150, listSize.height() + 6),
                    load(QStringLiteral("close") + QLatin1String(kStateSuffix[s]) + ".gif"));
    }
    p.end();
    return canvas.scaled(canvas.size() * 2, Qt::IgnoreAspectRatio, Qt::FastTransformation);
}

// Every button state, the small pictures and the icons at four times their
// size, for checking edges and glyphs pixel by pixel.
QImage composeDetail(const QString &folder)
{
    const QDir dir(folder);
    auto load = [&](const QString &name) { return QImage(dir.filePath(name)); };
    QImage canvas(QSize(420, 150), QImage::Format_RGB32);
    canvas.fill(QColor(0x80, 0x84, 0x8a));
    QPainter p(&canvas);
    const QImage mainFace = load(QStringLiteral("mainback.bmp"));
    const QImage listFace = load(QStringLiteral("listback.jpg"));
    for (int s = 0; s < 3; ++s) {
        const int y = 4 + s * 25;
        p.drawImage(QRect(4, y, 5 * 23 + 6, 23), mainFace, QRect(0, 0, 5 * 23 + 6, 23));
        for (int b = 0; b < 5; ++b)
            p.drawImage(7 + b * 23, y + layout::kMainButtonTop,
                        load(QLatin1String(layout::kMainButtonNames[b]) +
                             QLatin1String(kStateSuffix[s]) + QStringLiteral(".gif")));
        p.drawImage(QRect(130, y, 285, 23), listFace, QRect(0, 210, 285, 23));
        int x = 132;
        for (int b = 0; b < 6; ++b) {
            const QImage button = load(QLatin1String(layout::kListButtonNames[b]) +
                                       QLatin1String(kStateSuffix[s]) + QStringLiteral(".gif"));
            if (b == 0)
                continue;
            p.drawImage(x, y + 4, button);
            x += button.width() + 3;
        }
    }
    p.drawImage(QRect(4, 80, 412, 20), listFace, QRect(0, 214, 412, 20));
    p.drawImage(8, 82, load(QStringLiteral("admin_n.gif")));
    p.drawImage(112, 82, load(QStringLiteral("admin_u.gif")));
    p.drawImage(216, 82, load(QStringLiteral("admin_d.gif")));
    p.drawImage(320, 82, load(QStringLiteral("search.gif")));
    p.drawImage(338, 82, load(QStringLiteral("volume_on.gif")));
    p.drawImage(356, 82, load(QStringLiteral("mute.gif")));
    p.drawImage(QRect(4, 102, 412, 12), listFace, QRect(0, 220, 412, 12));
    p.drawImage(8, 104, load(QStringLiteral("volume_bar.gif")));
    p.drawImage(8 + 60, 104, load(QStringLiteral("volume_pinch.gif")));
    p.drawImage(130, 104, load(QStringLiteral("volume_bar.gif")));
    p.drawImage(130, 104, load(QStringLiteral("volume_pinch.gif")));
    p.drawImage(250, 104, load(QStringLiteral("volume_bar.gif")));
    p.drawImage(250 + 100, 104, load(QStringLiteral("volume_pinch.gif")));
    for (int i = 0; i < 10; ++i) {
        p.fillRect(4 + i * 20, 118, 20, 20, Qt::black);
        p.drawImage(6 + i * 20, 120, load(QLatin1String(layout::kIconNames[i]) + ".bmp"));
        // The same icon with its key colour cut out, on a face-coloured tree.
        QImage cut = load(QLatin1String(layout::kIconNames[i]) + ".bmp").convertToFormat(QImage::Format_ARGB32);
        for (int y = 0; y < cut.height(); ++y)
            for (int x = 0; x < cut.width(); ++x)
                if ((cut.pixel(x, y) & 0xffffffu) == (layout::kIconKey & 0xffffffu))
                    cut.setPixel(x, y, 0);
        p.fillRect(210 + i * 20, 118, 20, 20, QColor(0x3a, 0x40, 0x4a));
        p.drawImage(212 + i * 20, 120, cut);
    }
    p.end();
    return canvas.scaled(canvas.size() * 4, Qt::IgnoreAspectRatio, Qt::FastTransformation);
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 2 && !(args.size() == 4 && args[2] == QLatin1String("--preview"))) {
        std::fprintf(stderr, "usage: velmora_make_style <style folder> [--preview <png>]\n");
        return 2;
    }
    const int rc = writeStyle(drawAll(), args[1]);
    if (rc == 0 && args.size() == 4) {
        QString detail = args[3];
        detail.insert(detail.lastIndexOf(QLatin1Char('.')), QStringLiteral("-detail"));
        if (!composePreview(args[1]).save(args[3]) || !composeDetail(args[1]).save(detail)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(args[3]));
            return 1;
        }
    }
    return rc;
}
