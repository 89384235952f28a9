// SPDX-License-Identifier: MIT
#include "artwork_painter.h"

#include "conversion/convert_input.h"
#include "design/layout.h"
#include "design/pictures.h"
#include "design/texts.h"

#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <cmath>
#include <string_view>
#include <utility>

namespace {

namespace pictures = design::pictures;
using design::toPixels;

// The control's place in the main window, in pixels.
struct Box {
    int left, top, width, height;
};
constexpr Box placed(std::string_view control) {
    const design::Placement& p = *design::findPlacement(control);
    return {toPixels(p.left), toPixels(p.top), toPixels(p.width), toPixels(p.height)};
}

// The main window shows only the top-left part of its background; the title banner covers its
// top and the About banner its bottom rows.
constexpr qreal kWindowWidth = toPixels(design::mainClientWidthTwips);
constexpr qreal kWindowHeight = toPixels(design::mainClientHeightTwips);
constexpr qreal kBackgroundRadius = 18;
// The banners overhang the window on both sides; their text is centred on the part that shows.
constexpr qreal kTitleBannerOverhang = -placed("Image3").left;
constexpr qreal kAboutBannerOverhang = -placed("Image4").left;
// The window cuts the About banner's bottom rows.
constexpr qreal kAboutBannerShown = kWindowHeight - placed("Image4").top;
static_assert(pictures::titleBanner.height == pictures::aboutBanner.height);

// The vertical middle of a box's row.
constexpr qreal rowMiddle(std::string_view control) {
    return placed(control).top + placed(control).height / 2.0;
}

const QColor kAmber(0xff, 0xa8, 0x20);
const QColor kGlowRed(0xe8, 0x20, 0x14);

QImage canvas(int width, int height, int scale, QImage::Format format) {
    QImage image(width * scale, height * scale, format);
    image.fill(format == QImage::Format_RGB32 ? Qt::black : Qt::transparent);
    return image;
}

// Antialiased drawing in the picture's own pixel units, whatever the scale it is rendered at.
void drawInLayoutPixels(QPainter& painter, int scale) {
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(scale, scale);
}

QColor mix(const QColor& from, const QColor& to, qreal t) {
    return QColor::fromRgbF(from.redF() + (to.redF() - from.redF()) * t,
                            from.greenF() + (to.greenF() - from.greenF()) * t,
                            from.blueF() + (to.blueF() - from.blueF()) * t);
}

QString fromView(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// A row's caption: the scale's name, as the scale selector spells it.
QString caption(conversion::OutputBox box) {
    return fromView(conversion::ScaleName(box)) + QLatin1Char(':');
}

} // namespace

ArtworkPainter::ArtworkPainter(QString fontFamily)
    : m_fontFamily(std::move(fontFamily)) {}

QFont ArtworkPainter::font(qreal pixelSize) const {
    QFont font(m_fontFamily);
    font.setPixelSize(int(pixelSize));
    // Unhinted outlines scale exactly, so the 2x pictures match the 1x ones.
    font.setHintingPreference(QFont::PreferNoHinting);
    font.setStyleStrategy(QFont::PreferAntialias);
    return font;
}

void ArtworkPainter::drawLettering(QPainter& painter, const QFont& font, const QString& text,
                                   QPointF centre) {
    const QFontMetricsF metrics(font);
    const QPointF origin(centre.x() - metrics.horizontalAdvance(text) / 2,
                         centre.y() + metrics.capHeight() / 2);
    QPainterPath path;
    path.addText(origin, font, text);
    painter.save();
    painter.setPen(Qt::NoPen);
    for (const auto& [offset, alpha] : {std::pair{2.0, 70}, std::pair{1.0, 150}}) {
        painter.setBrush(QColor(0, 0, 0, alpha));
        painter.drawPath(path.translated(offset * 0.5, offset));
    }
    painter.setBrush(Qt::white);
    painter.drawPath(path);
    painter.restore();
}

void ArtworkPainter::drawCaption(QPainter& painter, const QFont& font, const QString& text,
                                 qreal left, qreal centreY) {
    const QFontMetricsF metrics(font);
    drawLettering(painter, font, text,
                  QPointF(left + metrics.horizontalAdvance(text) / 2, centreY));
}

QImage ArtworkPainter::background(int scale) const {
    constexpr int width = pictures::background.width;
    constexpr int height = pictures::background.height;

    // Everything is painted on an opaque layer first and then cut to the rounded panel, so that
    // only the corners carry transparency.
    QImage layer = canvas(width, height, scale, QImage::Format_RGB32);
    QPainter painter(&layer);
    drawInLayoutPixels(painter, scale);

    // Concentric rectangles around the bottom centre of the part that shows, each a step
    // brighter than the one around it.
    const QColor outer(0x16, 0x04, 0x04);
    const QColor inner(0xd8, 0x22, 0x18);
    constexpr int steps = 14;
    constexpr qreal stepX = 20;
    constexpr qreal stepY = 17;
    painter.fillRect(QRectF(0, 0, width, height), outer);
    for (int i = 1; i < steps; ++i) {
        const qreal t = std::pow(qreal(i) / (steps - 1), 1.6);
        const QRectF rect(i * stepX, i * stepY, kWindowWidth - 2 * i * stepX,
                          height + 40 - i * stepY);
        const QColor fill = mix(outer, inner, t);
        painter.setPen(QPen(fill.lighter(125), 1));
        painter.setBrush(fill);
        painter.drawRoundedRect(rect.adjusted(0.5, 0.5, -0.5, 0), 8, 8);
    }
    // A soft light over the bottom centre smooths the innermost steps into a glow.
    QRadialGradient glow(QPointF(kWindowWidth / 2, kWindowHeight), 200);
    glow.setColorAt(0.0, QColor(0xff, 0x60, 0x40, 110));
    glow.setColorAt(1.0, QColor(0xff, 0x60, 0x40, 0));
    painter.setPen(Qt::NoPen);
    painter.setBrush(glow);
    painter.drawRect(QRectF(0, 0, width, height));

    // Row captions, each centred on the row of its box.
    constexpr qreal captionLeft = 78;
    const QFont captionFont = font(22);
    drawCaption(painter, captionFont, caption(conversion::OutputBox::Fahrenheit), captionLeft,
                rowMiddle("Text2"));
    drawCaption(painter, captionFont, caption(conversion::OutputBox::Celsius), captionLeft,
                rowMiddle("Text3"));
    drawCaption(painter, captionFont, caption(conversion::OutputBox::Kelvin), captionLeft,
                rowMiddle("Text4"));

    // "Converter" and an arrow that ends just short of the input box.
    const QString converter = fromView(design::text::converterCaption);
    constexpr qreal firstRow = rowMiddle("Text1");
    drawCaption(painter, captionFont, converter, captionLeft, firstRow);
    const qreal arrowStart =
        captionLeft + QFontMetricsF(captionFont).horizontalAdvance(converter) + 10;
    constexpr qreal arrowTip = placed("Text1").left - 6;
    QPainterPath arrow(QPointF(arrowStart, firstRow));
    arrow.lineTo(arrowTip - 8, firstRow);
    QPainterPath head(QPointF(arrowTip, firstRow));
    head.lineTo(arrowTip - 11, firstRow - 6.5);
    head.lineTo(arrowTip - 11, firstRow + 6.5);
    head.closeSubpath();
    for (const auto& [offset, colour] :
         {std::pair{1.0, QColor(0, 0, 0, 150)}, std::pair{0.0, QColor(Qt::white)}}) {
        painter.setPen(QPen(colour, 2.5, Qt::SolidLine, Qt::RoundCap));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(arrow.translated(offset * 0.5, offset));
        painter.setPen(QPen(colour, 1.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.setBrush(colour);
        painter.drawPath(head.translated(offset * 0.5, offset));
    }

    // A thin rim keeps the panel's edge visible against a dark desktop.
    painter.setPen(QPen(QColor(0x70, 0x14, 0x10), 1.5));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(QRectF(0.75, 0.75, width - 1.5, height - 1.5), kBackgroundRadius,
                            kBackgroundRadius);
    painter.end();

    QImage image = canvas(width, height, scale, QImage::Format_ARGB32_Premultiplied);
    QPainter cut(&image);
    cut.setRenderHint(QPainter::Antialiasing);
    QPainterPath panel;
    panel.addRoundedRect(QRectF(0, 0, width * scale, height * scale), kBackgroundRadius * scale,
                         kBackgroundRadius * scale);
    cut.fillPath(panel, QBrush(layer));
    cut.end();
    return image;
}

QImage ArtworkPainter::glossyBar(int width, int scale, QColor glow, qreal glowCentreX,
                                 qreal glowCentreY, const QString& text, qreal textCentreY) const {
    constexpr int height = pictures::titleBanner.height;
    QImage image = canvas(width, height, scale, QImage::Format_RGB32);
    QPainter painter(&image);
    drawInLayoutPixels(painter, scale);
    painter.setPen(Qt::NoPen);

    QLinearGradient base(0, 0, 0, height);
    base.setColorAt(0.0, QColor(0x1c, 0x1c, 0x1c));
    base.setColorAt(0.5, QColor(0x06, 0x06, 0x06));
    base.setColorAt(1.0, QColor(0x00, 0x00, 0x00));
    painter.fillRect(QRectF(0, 0, width, height), base);

    // The glow rises from the bottom edge behind the lettering.
    QRadialGradient light(QPointF(0, 0), 1);
    light.setColorAt(0.0, glow);
    QColor fade = glow;
    fade.setAlpha(110);
    light.setColorAt(0.4, fade);
    fade.setAlpha(0);
    light.setColorAt(1.0, fade);
    QTransform stretch;
    stretch.translate(glowCentreX, glowCentreY);
    stretch.scale(width * 0.36, 46);
    QBrush lightBrush(light);
    lightBrush.setTransform(stretch);
    painter.fillRect(QRectF(0, 0, width, height), lightBrush);

    // The gloss: a bright sheet over the upper half with a crisp lower edge.
    QLinearGradient gloss(0, 0, 0, height * 0.48);
    gloss.setColorAt(0.0, QColor(255, 255, 255, 95));
    gloss.setColorAt(1.0, QColor(255, 255, 255, 22));
    QPainterPath sheet;
    sheet.addRoundedRect(QRectF(2, 1.5, width - 4, height * 0.48), 6, 6);
    painter.fillPath(sheet, gloss);

    // Edge lines: a highlight along the top and a dark rule along the bottom.
    painter.fillRect(QRectF(0, 0, width, 1), QColor(255, 255, 255, 70));
    painter.fillRect(QRectF(0, height - 1, width, 1), QColor(0, 0, 0));

    drawLettering(painter, font(28), text, QPointF(glowCentreX, textCentreY));
    return image;
}

QImage ArtworkPainter::titleBanner(int scale) const {
    constexpr int width = pictures::titleBanner.width;
    constexpr int height = pictures::titleBanner.height;
    constexpr qreal centre = kTitleBannerOverhang + kWindowWidth / 2;
    return glossyBar(width, scale, kAmber, centre, height, fromView(design::text::title),
                     height / 2.0);
}

QImage ArtworkPainter::aboutBanner(int scale) const {
    constexpr int width = pictures::aboutBanner.width;
    constexpr qreal centre = kAboutBannerOverhang + kWindowWidth / 2;
    return glossyBar(width, scale, kGlowRed, centre, kAboutBannerShown * 0.6,
                     fromView(design::text::aboutName), kAboutBannerShown / 2.0);
}

QImage ArtworkPainter::closeButton(int scale) const {
    constexpr int width = pictures::closeButton.width;
    constexpr int height = pictures::closeButton.height;
    // The window shows only the left part; the X is centred on that.
    constexpr qreal shown = kWindowWidth - placed("Image1").left;
    QImage image = canvas(width, height, scale, QImage::Format_RGB32);
    QPainter painter(&image);
    drawInLayoutPixels(painter, scale);

    QLinearGradient square(0, 0, 0, height);
    square.setColorAt(0.0, QColor(0x3a, 0x3a, 0x3a));
    square.setColorAt(1.0, QColor(0x10, 0x10, 0x10));
    painter.fillRect(QRectF(0, 0, width, height), square);
    painter.setPen(QPen(QColor(0x5a, 0x5a, 0x5a), 1));
    painter.drawLine(QPointF(0, 0.5), QPointF(width, 0.5));

    const QPointF centre(shown / 2, height / 2.0);
    constexpr qreal reach = 4.5;
    painter.setPen(QPen(QColor(0xff, 0x8c, 0x10), 2.6, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(centre + QPointF(-reach, -reach), centre + QPointF(reach, reach));
    painter.drawLine(centre + QPointF(-reach, reach), centre + QPointF(reach, -reach));
    return image;
}

QImage ArtworkPainter::aboutCard(int scale) const {
    constexpr int width = pictures::aboutCard.width;
    constexpr int height = pictures::aboutCard.height;
    // The About window shows only the top part.
    constexpr qreal shown = design::aboutClientHeight;
    QImage image = canvas(width, height, scale, QImage::Format_RGB32);
    QPainter painter(&image);
    drawInLayoutPixels(painter, scale);

    QRadialGradient glow(QPointF(width / 2.0, height), 380);
    glow.setColorAt(0.0, QColor(0xe0, 0x28, 0x18));
    glow.setColorAt(0.3, QColor(0x90, 0x10, 0x0c));
    glow.setColorAt(0.65, QColor(0x30, 0x02, 0x02));
    glow.setColorAt(1.0, Qt::black);
    painter.fillRect(QRectF(0, 0, width, height), glow);

    const qreal centreX = width / 2.0;
    drawLettering(painter, font(32), fromView(design::text::title), QPointF(centreX, 48));
    drawLettering(painter, font(22), fromView(design::text::cardVersion), QPointF(centreX, 86));

    // A short rule between the title and the credits.
    QLinearGradient rule(centreX - 120, 0, centreX + 120, 0);
    rule.setColorAt(0.0, QColor(255, 255, 255, 0));
    rule.setColorAt(0.5, QColor(255, 255, 255, 170));
    rule.setColorAt(1.0, QColor(255, 255, 255, 0));
    painter.fillRect(QRectF(centreX - 120, 115, 240, 1.5), rule);

    const QFont credits = font(20);
    constexpr qreal firstLine = 148;
    constexpr qreal lineStep = 32;
    // The last line's descenders end well above the edge of what shows.
    static_assert(firstLine + (design::text::cardCredits.size() - 1) * lineStep + 20 < shown);
    qreal baseline = firstLine;
    for (std::string_view line : design::text::cardCredits) {
        drawLettering(painter, credits, fromView(line), QPointF(centreX, baseline));
        baseline += lineStep;
    }
    return image;
}
