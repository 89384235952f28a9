// SPDX-License-Identifier: MIT
#include "icon_painter.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <algorithm>
#include <cmath>

namespace {

// The icon is designed on a 256-unit square.
constexpr qreal kDesign = 256.0;
// Up to this size the face is reduced to what still reads: dots for eyes, a line for the mouth.
constexpr int kSmallSize = 24;

const QColor kHairOutline(0x0c, 0x07, 0x04);
const QColor kSkinLight(0xff, 0xdc, 0xb8);
const QColor kSkin(0xf6, 0xc4, 0x9a);
const QColor kSkinShade(0xe0, 0xa0, 0x78);
const QColor kSkinOutline(0x8a, 0x5a, 0x3a);
const QColor kMouth(0xa5, 0x2a, 0x2a);
const QColor kMouthDark(0x5a, 0x10, 0x10);
const QColor kPupil(0x14, 0x0c, 0x08);

QBrush hairBrush() {
    QRadialGradient gradient(QPointF(128, 110), 110, QPointF(92, 58));
    gradient.setColorAt(0.0, QColor(0x6b, 0x46, 0x30));
    gradient.setColorAt(0.45, QColor(0x35, 0x22, 0x17));
    gradient.setColorAt(1.0, QColor(0x1c, 0x11, 0x0a));
    return gradient;
}

QBrush skinBrush() {
    QRadialGradient gradient(QPointF(128, 150), 80, QPointF(108, 130));
    gradient.setColorAt(0.0, kSkinLight);
    gradient.setColorAt(0.7, kSkin);
    gradient.setColorAt(1.0, kSkinShade);
    return gradient;
}

QPainterPath faceShape() {
    QPainterPath face;
    face.addEllipse(QPointF(128, 152), 66, 74);
    return face;
}

// The fringe: scallops of hair over the forehead, kept inside the face's outline.
QPainterPath fringeShape() {
    QPainterPath bangs;
    bangs.addRect(QRectF(40, 40, 176, 56));
    const auto addBang = [&bangs](QPointF centre, qreal radius) {
        QPainterPath bang;
        bang.addEllipse(centre, radius, radius);
        bangs = bangs.united(bang);
    };
    addBang(QPointF(78, 96), 34);
    addBang(QPointF(120, 88), 34);
    addBang(QPointF(162, 92), 34);
    addBang(QPointF(198, 110), 28);
    return faceShape().intersected(bangs);
}

void drawHair(QPainter& painter, qreal pixel) {
    painter.setPen(QPen(kHairOutline, std::max(6.0, pixel)));
    painter.setBrush(hairBrush());
    painter.drawEllipse(QPointF(128, 112), 104, 104);
}

void drawFace(QPainter& painter, qreal pixel, bool small) {
    // Ears first, so the face covers their inner half.
    painter.setPen(small ? Qt::NoPen : QPen(kSkinOutline, 4));
    painter.setBrush(kSkinShade);
    painter.drawEllipse(QPointF(64, 160), 17, 21);
    painter.drawEllipse(QPointF(192, 160), 17, 21);

    painter.setPen(small ? Qt::NoPen : QPen(kSkinOutline, std::max(4.0, pixel * 0.75)));
    painter.setBrush(skinBrush());
    painter.drawPath(faceShape());

    // The pen covers the face's outline where the fringe lies over it.
    painter.setPen(small ? Qt::NoPen : QPen(hairBrush(), std::max(4.0, pixel * 0.75) + 3));
    painter.setBrush(hairBrush());
    painter.drawPath(fringeShape());
}

// Eyes and mouth as whole device pixels, so they stay sharp instead of turning into a grey smear.
void drawSmallFeatures(QPainter& painter, int size) {
    const qreal unit = size / kDesign;
    const auto pixel = [unit](qreal design) {
        return int(std::lround(design * unit));
    };
    const int eyeWidth = std::max(1, int(std::lround(size / 16.0)));
    const int eyeHeight = eyeWidth + 1;
    painter.save();
    painter.resetTransform();
    painter.setRenderHint(QPainter::Antialiasing, false);
    for (const qreal x : {104.0, 152.0}) {
        const int left = int(std::floor(x * unit - eyeWidth / 2.0 + 0.5));
        const int top = int(std::floor(154 * unit - eyeHeight / 2.0 + 0.5));
        painter.fillRect(QRect(left, top, eyeWidth, eyeHeight), kPupil);
    }
    // A smile: a flat line with its ends raised by one pixel.
    const int left = pixel(106);
    const int right = pixel(150) - 1;
    const int bottom = pixel(194);
    painter.fillRect(QRect(left + 1, bottom, right - left - 1, 1), kMouthDark);
    painter.fillRect(QRect(left, bottom - 1, 1, 1), kMouthDark);
    painter.fillRect(QRect(right, bottom - 1, 1, 1), kMouthDark);
    painter.restore();
}

void drawFeatures(QPainter& painter, int size) {
    // Cheeks.
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0xff, 0x78, 0x70, 0x70));
    painter.drawEllipse(QPointF(86, 186), 14, 9);
    painter.drawEllipse(QPointF(170, 186), 14, 9);

    // Eyes: whites, pupils looking a little to the side, and a glint.
    painter.setPen(QPen(kSkinOutline, 3));
    painter.setBrush(Qt::white);
    for (const qreal x : {104.0, 152.0})
        painter.drawEllipse(QPointF(x, 152), 16, 20);
    painter.setPen(Qt::NoPen);
    painter.setBrush(kPupil);
    for (const qreal x : {108.0, 156.0})
        painter.drawEllipse(QPointF(x, 157), 9.5, 11);
    if (size >= 48) {
        painter.setBrush(Qt::white);
        for (const qreal x : {105.0, 153.0})
            painter.drawEllipse(QPointF(x, 152), 3.5, 3.5);
    }

    // Nose.
    if (size >= 48) {
        QPainterPath nose(QPointF(122, 174));
        nose.quadTo(QPointF(128, 181), QPointF(134, 174));
        painter.setPen(QPen(kSkinOutline, 3.5, Qt::SolidLine, Qt::RoundCap));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(nose);
    }

    // An open smile.
    QPainterPath mouth(QPointF(100, 190));
    mouth.quadTo(QPointF(128, 198), QPointF(156, 190));
    mouth.quadTo(QPointF(128, 226), QPointF(100, 190));
    painter.setPen(QPen(kMouthDark, 4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(kMouth);
    painter.drawPath(mouth);
}

} // namespace

QImage IconPainter::render(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / kDesign, size / kDesign);

    const qreal pixel = kDesign / size;
    const bool small = size <= kSmallSize;
    drawHair(painter, pixel);
    drawFace(painter, pixel, small);
    if (small)
        drawSmallFeatures(painter, size);
    else
        drawFeatures(painter, size);
    return image;
}

QList<QRgb> IconPainter::palette16() {
    return {
        qRgb(0x00, 0x00, 0x00), qRgb(0x0c, 0x07, 0x04), qRgb(0x1c, 0x11, 0x0a),
        qRgb(0x2e, 0x1d, 0x13), qRgb(0x4a, 0x30, 0x20), qRgb(0x6b, 0x46, 0x30),
        qRgb(0xff, 0xdc, 0xb8), qRgb(0xf6, 0xc4, 0x9a), qRgb(0xe0, 0xa0, 0x78),
        qRgb(0xb8, 0x78, 0x50), qRgb(0x8a, 0x5a, 0x3a), qRgb(0xff, 0xff, 0xff),
        qRgb(0xa5, 0x2a, 0x2a), qRgb(0x5a, 0x10, 0x10), qRgb(0xf4, 0x9a, 0x88),
        qRgb(0xc8, 0xc8, 0xc8),
    };
}

QList<QRgb> IconPainter::palette256() {
    // The icon's own 16 colours, ramps between the colours that meet in the drawing (for the
    // antialiased edges and the shading), a 5 x 5 x 5 colour cube and a ramp of 24 greys.
    QList<QRgb> palette = palette16();
    const auto ramp = [&palette](QRgb from, QRgb to, int steps) {
        for (int i = 1; i <= steps; ++i) {
            const auto at = [&](int a, int b) {
                return a + (b - a) * i / (steps + 1);
            };
            palette.append(qRgb(at(qRed(from), qRed(to)), at(qGreen(from), qGreen(to)),
                                at(qBlue(from), qBlue(to))));
        }
    };
    const QRgb hairDark = qRgb(0x1c, 0x11, 0x0a);
    const QRgb hairLight = qRgb(0x6b, 0x46, 0x30);
    const QRgb skin = qRgb(0xf6, 0xc4, 0x9a);
    const QRgb skinLight = qRgb(0xff, 0xdc, 0xb8);
    const QRgb skinShade = qRgb(0xe0, 0xa0, 0x78);
    const QRgb mouth = qRgb(0xa5, 0x2a, 0x2a);
    const QRgb mouthDark = qRgb(0x5a, 0x10, 0x10);
    const QRgb pupil = qRgb(0x14, 0x0c, 0x08);
    ramp(hairDark, hairLight, 12);
    ramp(hairLight, skin, 14);
    ramp(hairDark, skinShade, 14);
    ramp(skinLight, skinShade, 8);
    ramp(skinShade, mouth, 9);
    ramp(mouth, mouthDark, 6);
    ramp(skin, qRgb(0xff, 0xff, 0xff), 7);
    ramp(pupil, qRgb(0xff, 0xff, 0xff), 10);
    ramp(skin, pupil, 11);
    for (int r = 0; r < 5; ++r) {
        for (int g = 0; g < 5; ++g) {
            for (int b = 0; b < 5; ++b)
                palette.append(qRgb(r * 255 / 4, g * 255 / 4, b * 255 / 4));
        }
    }
    for (int i = 0; i < 24; ++i)
        palette.append(qRgb(8 + 10 * i, 8 + 10 * i, 8 + 10 * i));
    Q_ASSERT(palette.size() == 256);
    return palette;
}
