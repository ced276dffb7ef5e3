// Draws the program icon from its vector source at every size the desktops
// ask for: PNGs in the freedesktop hicolor layout, and one Windows .ico that
// holds them all. Runs at build time, with no display.
//
//   tanko_render_icons <icon.svg> <output folder>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSaveFile>
#include <QSvgRenderer>
#include <QtEndian>

#include <cstdio>
#include <vector>

namespace
{
constexpr int HicolorSizes[] = {16, 32, 48, 64, 128, 256};
// Explorer picks among these for its views; 24 is the small-icon size at 150 %.
constexpr int WindowsSizes[] = {16, 24, 32, 48, 64, 256};

QByteArray renderPng(QSvgRenderer& svg, int side)
{
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        svg.render(&painter, QRectF(0, 0, side, side));
    }
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return png;
}

template <typename T> void append(QByteArray& out, T value)
{
    const T little = qToLittleEndian(value);
    out.append(reinterpret_cast<const char*>(&little), sizeof little);
}

// An icon directory whose images are PNG streams, which Windows reads since
// Vista; a width or height of 0 in an entry means 256.
QByteArray iconFile(const std::vector<std::pair<int, QByteArray>>& images)
{
    QByteArray out;
    append<quint16>(out, 0);
    append<quint16>(out, 1);
    append<quint16>(out, quint16(images.size()));
    quint32 offset = quint32(6 + 16 * images.size());
    for (const auto& [side, png] : images) {
        out.append(char(side >= 256 ? 0 : side));
        out.append(char(side >= 256 ? 0 : side));
        out.append(char(0));      // no palette
        out.append(char(0));      // reserved
        append<quint16>(out, 1);  // colour planes
        append<quint16>(out, 32); // bits per pixel
        append<quint32>(out, quint32(png.size()));
        append<quint32>(out, offset);
        offset += quint32(png.size());
    }
    for (const auto& image : images)
        out.append(image.second);
    return out;
}

bool writeFile(const QString& path, const QByteArray& content)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size() || !file.commit()) {
        std::fprintf(stderr, "tanko_render_icons: cannot write %s\n", qPrintable(QDir::toNativeSeparators(path)));
        return false;
    }
    return true;
}
} // namespace

int main(int argc, char* argv[])
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: tanko_render_icons <icon.svg> <output folder>\n");
        return 2;
    }
    // The SVG renderer asks for fonts, which need an application; a build
    // machine may have no display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QString source = QString::fromLocal8Bit(argv[1]);
    const QDir out(QString::fromLocal8Bit(argv[2]));
    QSvgRenderer svg(source);
    if (!svg.isValid()) {
        std::fprintf(stderr, "tanko_render_icons: %s is no usable SVG\n", argv[1]);
        return 1;
    }

    for (const int side : HicolorSizes) {
        const QString name = QStringLiteral("hicolor/%1x%1/apps/tankometer.png").arg(side);
        if (!writeFile(out.filePath(name), renderPng(svg, side)))
            return 1;
    }
    std::vector<std::pair<int, QByteArray>> images;
    for (const int side : WindowsSizes)
        images.emplace_back(side, renderPng(svg, side));
    return writeFile(out.filePath(QStringLiteral("tankometer.ico")), iconFile(images)) ? 0 : 1;
}
