#include "image_files.h"

#include <QBuffer>
#include <QFile>
#include <QImageWriter>
#include <QtEndian>

namespace {

bool write_png(const QImage &image, const QString &path)
{
    QImageWriter writer(path, "png");
    writer.setQuality(0);   // for PNG: the strongest deflate level
    return writer.write(image);
}

QByteArray png_bytes(const QImage &image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    writer.setQuality(0);   // for PNG: the strongest deflate level
    writer.write(image);
    return bytes;
}

void put_u16(QByteArray &out, quint16 v)
{
    char b[2];
    qToLittleEndian(v, b);
    out.append(b, 2);
}

void put_u32(QByteArray &out, quint32 v)
{
    char b[4];
    qToLittleEndian(v, b);
    out.append(b, 4);
}

// BITMAPINFOHEADER, bottom-up BGRA rows, then the 1-bit AND mask (rows
// padded to 32 bits); the height counts both halves, as icons require.
QByteArray icon_bitmap(const QImage &source)
{
    const QImage image = source.convertToFormat(QImage::Format_ARGB32);
    const int w = image.width();
    const int h = image.height();
    const int mask_stride = ((w + 31) / 32) * 4;
    QByteArray out;
    put_u32(out, 40);
    put_u32(out, quint32(w));
    put_u32(out, quint32(2 * h));
    put_u16(out, 1);
    put_u16(out, 32);
    put_u32(out, 0);
    put_u32(out, quint32(w * h * 4 + mask_stride * h));
    put_u32(out, 0);
    put_u32(out, 0);
    put_u32(out, 0);
    put_u32(out, 0);
    for (int y = h - 1; y >= 0; --y) {
        const QRgb *row = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < w; ++x) {
            out.append(char(qBlue(row[x])));
            out.append(char(qGreen(row[x])));
            out.append(char(qRed(row[x])));
            out.append(char(qAlpha(row[x])));
        }
    }
    for (int y = h - 1; y >= 0; --y) {
        QByteArray mask_row(mask_stride, '\0');
        const QRgb *row = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < w; ++x)
            if (qAlpha(row[x]) == 0)
                mask_row[x / 8] = char(mask_row[x / 8] | (0x80 >> (x % 8)));
        out.append(mask_row);
    }
    return out;
}

}  // namespace

bool save_rgba_png(const QImage &image, const QString &path)
{
    return write_png(image.convertToFormat(QImage::Format_ARGB32), path);
}

bool save_grey_palette_png(const QImage &image, const QString &path)
{
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    QImage indexed(rgb.size(), QImage::Format_Indexed8);
    // White first: Qt writes an 8-bit table that runs 0..255 in order as a
    // grey-level PNG, not as a palette one.
    QVector<QRgb> table;
    for (int g = 255; g >= 0; --g)
        table << qRgb(g, g, g);
    indexed.setColorTable(table);
    for (int y = 0; y < rgb.height(); ++y) {
        const QRgb *in = reinterpret_cast<const QRgb *>(rgb.constScanLine(y));
        uchar *out = indexed.scanLine(y);
        for (int x = 0; x < rgb.width(); ++x)
            out[x] = uchar(255 - qGray(in[x]));
    }
    indexed.setDotsPerMeterX(image.dotsPerMeterX());
    indexed.setDotsPerMeterY(image.dotsPerMeterY());
    return write_png(indexed, path);
}

bool save_grey_alpha_palette_png(const QImage &image, const QString &path)
{
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    QImage indexed(argb.size(), QImage::Format_Indexed8);
    QVector<QRgb> table;
    for (int a = 0; a < 16; ++a)
        for (int g = 0; g < 16; ++g)
            table << qRgba(g * 17, g * 17, g * 17, a * 17);
    indexed.setColorTable(table);
    for (int y = 0; y < argb.height(); ++y) {
        const QRgb *in = reinterpret_cast<const QRgb *>(argb.constScanLine(y));
        uchar *out = indexed.scanLine(y);
        for (int x = 0; x < argb.width(); ++x) {
            const int a = (qAlpha(in[x]) + 8) / 17;
            const int g = a == 0 ? 0 : (qGray(in[x]) + 8) / 17;
            out[x] = uchar(a * 16 + g);
        }
    }
    indexed.setDotsPerMeterX(image.dotsPerMeterX());
    indexed.setDotsPerMeterY(image.dotsPerMeterY());
    return write_png(indexed, path);
}

bool save_ico(const QVector<QImage> &bitmaps, const QImage &png, const QString &path)
{
    QVector<QByteArray> blobs;
    QVector<QSize> sizes;
    for (const QImage &image : bitmaps) {
        blobs << icon_bitmap(image);
        sizes << image.size();
    }
    blobs << png_bytes(png.convertToFormat(QImage::Format_ARGB32));
    sizes << png.size();
    if (blobs.last().isEmpty())
        return false;

    QByteArray out;
    put_u16(out, 0);                       // reserved
    put_u16(out, 1);                       // type: icon
    put_u16(out, quint16(blobs.size()));
    quint32 offset = quint32(6 + 16 * blobs.size());
    for (int i = 0; i < blobs.size(); ++i) {
        out.append(char(sizes[i].width() >= 256 ? 0 : sizes[i].width()));   // 0 means 256
        out.append(char(sizes[i].height() >= 256 ? 0 : sizes[i].height()));
        out.append(char(0));               // no colour count: true colour
        out.append(char(0));
        put_u16(out, 1);                   // planes
        put_u16(out, 32);                  // bits per pixel
        put_u32(out, quint32(blobs[i].size()));
        put_u32(out, offset);
        offset += quint32(blobs[i].size());
    }
    for (const QByteArray &blob : blobs)
        out.append(blob);

    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return file.write(out) == out.size();
}
