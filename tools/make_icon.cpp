// Draws the program icon (a note on a rounded face with two sound waves) as
// PNG files velmora-<size>.png in the given folder, one per hicolor size.
//
//   velmora_make_icon <folder>

#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <cstdio>

namespace {

QImage drawIcon(int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 256.0, size / 256.0); // drawn on a 256 x 256 design

    QLinearGradient face(0, 0, 256, 256);
    face.setColorAt(0, QColor(0x3b, 0x2f, 0x8f));
    face.setColorAt(1, QColor(0x14, 0x86, 0x7f));
    p.setPen(QPen(QColor(255, 255, 255, 70), 6));
    p.setBrush(face);
    p.drawRoundedRect(QRectF(12, 12, 232, 232), 48, 48);

    // The note: stem, flag and head.
    p.setPen(QPen(Qt::white, 16, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(116, 56), QPointF(116, 160));
    QPainterPath flag;
    flag.moveTo(116, 50);
    flag.cubicTo(156, 60, 176, 84, 180, 120);
    flag.cubicTo(164, 100, 142, 94, 120, 96);
    flag.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawPath(flag);
    p.save();
    p.translate(92, 168);
    p.rotate(-20);
    p.drawEllipse(QPointF(0, 0), 34, 25);
    p.restore();

    // Two waves.
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(0xff, 0xd7, 0x6a), 10, Qt::SolidLine, Qt::RoundCap));
    p.drawArc(QRectF(142, 142, 56, 56), -60 * 16, 120 * 16);
    p.setPen(QPen(QColor(0xff, 0xd7, 0x6a, 180), 10, Qt::SolidLine, Qt::RoundCap));
    p.drawArc(QRectF(130, 120, 100, 100), -55 * 16, 110 * 16);
    return image;
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fputs("usage: velmora_make_icon <folder>\n", stderr);
        return 2;
    }
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QString file = QStringLiteral("%1/velmora-%2.png").arg(QString::fromLocal8Bit(argv[1])).arg(size);
        if (!drawIcon(size).save(file)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
            return 1;
        }
    }
    return 0;
}
