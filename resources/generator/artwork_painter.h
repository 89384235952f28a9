// SPDX-License-Identifier: MIT
#pragma once

#include <QFont>
#include <QImage>
#include <QPointF>
#include <QString>

class QPainter;

// Draws the pictures of both windows. Every picture is drawn in its 1x coordinates; scale 2 gives
// the picture for high-density screens at exactly twice the size.
class ArtworkPainter {
public:
    // fontFamily: the family of all lettering, the bundled font, so every machine draws the same.
    explicit ArtworkPainter(QString fontFamily);

    QImage background(int scale) const;  // 704 x 304, main window, transparent rounded corners
    QImage titleBanner(int scale) const; // 744 x 67
    QImage closeButton(int scale) const; // 22 x 18
    QImage aboutBanner(int scale) const; // 704 x 67
    QImage aboutCard(int scale) const;   // 541 x 332, About window

private:
    QFont font(qreal pixelSize) const;
    QImage glossyBar(int width, int scale, QColor glow, qreal glowCentreX, qreal glowCentreY,
                     const QString& text, qreal textCentreY) const;
    // Draws text in white with a soft shadow, its cap height centred on centre.
    static void drawLettering(QPainter& painter, const QFont& font, const QString& text,
                              QPointF centre);
    static void drawCaption(QPainter& painter, const QFont& font, const QString& text, qreal left,
                            qreal centreY);

    QString m_fontFamily;
};
