// SPDX-License-Identifier: MIT
#include "ui/Form1.h"

#include "conversion/number_text.h"
#include "design/keystrokes.h"
#include "design/layout.h"
#include "platform/ComboBox.h"
#include "platform/HandlerGuard.h"
#include "platform/InputFilter.h"
#include "platform/MessageBoxes.h"
#include "platform/Picture.h"
#include "platform/TextBox.h"
#include "resources/resources.h"

#include <array>

namespace ui {

namespace {

using design::isAcceptedCode;
using design::Placement;
using design::scaleFontPixels;
using design::textBoxFontPixels;
using design::toPixels;
constexpr const auto& designLayout = design::mainWindowLayout;
constexpr int clientWidthTwips = design::mainClientWidthTwips;
constexpr int clientHeightTwips = design::mainClientHeightTwips;

QColor toColour(design::Rgb rgb) {
    return QColor(rgb.red, rgb.green, rgb.blue);
}
const QColor textBoxColour = toColour(design::textBoxColour);
const QColor scaleColour = toColour(design::scaleColour);
const QColor invalidInputBase = toColour(design::invalidInputBase);

QString normalInputTip() {
    return Form1::tr("Please enter the value to convert");
}

QString describeProblem(const std::exception& error) {
    if (dynamic_cast<const conversion::ConversionError*>(&error))
        return Form1::tr("Not a number: enter digits with at most one full stop");
    if (dynamic_cast<const conversion::OverflowError*>(&error))
        return Form1::tr("Out of range: the number is too large to convert");
    return Form1::tr("Cannot convert: %1").arg(QString::fromLocal8Bit(error.what()));
}

QFont textBoxFont() {
    QFont font(resources::textFontFamily());
    font.setPixelSize(textBoxFontPixels);
    return font;
}

platform::TextBox* makeTextBox(const char* name, const QString& accessibleName,
                               platform::TextBox::Role role, QWidget* parent) {
    auto* box = new platform::TextBox(role, parent);
    box->setObjectName(QLatin1String(name));
    box->setAccessibleName(accessibleName);
    box->setAlignment(Qt::AlignLeft | Qt::AlignVCenter); // the font is the window's
    QPalette palette = box->palette();
    palette.setColor(QPalette::Text, textBoxColour);
    box->setPalette(palette);
    return box;
}

platform::ComboBox* makeScaleBox(QWidget* parent) {
    auto* scales = new platform::ComboBox(parent);
    scales->setObjectName(QStringLiteral("Combo1"));
    scales->setAccessibleName(Form1::tr("Scale"));
    scales->addItems(
        {QStringLiteral("Celsius"), QStringLiteral("Fahrenheit"), QStringLiteral("Kelvin")});
    scales->setCurrentIndex(0);
    QFont font(resources::textFontFamily());
    font.setPixelSize(scaleFontPixels);
    scales->setFont(font);
    QPalette palette = scales->palette();
    palette.setColor(QPalette::Text, scaleColour);
    palette.setColor(QPalette::ButtonText, scaleColour);
    scales->setPalette(palette);
    return scales;
}

} // namespace

Form1::Form1(platform::WindowHolder<Form2>& about)
    : FormWindow(QSize(toPixels(clientWidthTwips), toPixels(clientHeightTwips)),
                 QString::fromLatin1(resources::picture::background), textBoxFont())
    , m_about(about)
    , m_messages(new platform::MessageBoxes(this))
    , m_image3(new platform::Picture(QString::fromLatin1(resources::picture::titleBanner),
                                     platform::Picture::Role::Decoration, this))
    , m_image4(new platform::Picture(QString::fromLatin1(resources::picture::aboutBanner),
                                     platform::Picture::Role::Button, this))
    , m_image1(new platform::Picture(QString::fromLatin1(resources::picture::closeButton),
                                     platform::Picture::Role::Button, this))
    , m_text1(
          makeTextBox("Text1", tr("Temperature to convert"), platform::TextBox::Role::Input, this))
    , m_text2(makeTextBox("Text2", tr("Fahrenheit"), platform::TextBox::Role::Output, this))
    , m_text3(makeTextBox("Text3", tr("Celsius"), platform::TextBox::Role::Output, this))
    , m_combo1(makeScaleBox(this))
    , m_text4(makeTextBox("Text4", tr("Kelvin"), platform::TextBox::Role::Output, this)) {
    const QString title = tr("Velmora Temperature Converter");
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(title);
    setWindowIcon(resources::windowIcon());

    m_image3->setObjectName(QStringLiteral("Image3"));
    m_image3->setAccessibleName(title);
    m_image4->setObjectName(QStringLiteral("Image4"));
    m_image4->setAccessibleName(tr("About"));
    m_image1->setObjectName(QStringLiteral("Image1"));
    m_image1->setAccessibleName(tr("Close"));

    m_text1->setToolTip(normalInputTip());
    m_text1->setAccessibleDescription(normalInputTip());
    platform::InputFilter::install(
        *m_text1, isAcceptedCode, [this](int& keyAscii) { Text1_KeyPress(keyAscii); },
        maxInputLength, [this] { Text1_TooLong(); });

    // The controls in the order of the layout table, from the top of the stacking order down.
    const std::array<QWidget*, designLayout.size()> stacked{m_text4, m_combo1, m_text3,  m_text2,
                                                            m_text1, m_image1, m_image4, m_image3};
    for (std::size_t i = 0; i < stacked.size(); ++i) {
        const Placement& place = designLayout[i];
        QWidget* control = stacked[i];
        Q_ASSERT(control->objectName() ==
                 QLatin1String(place.control.data(), qsizetype(place.control.size())));
        control->setGeometry(toPixels(place.left), toPixels(place.top), toPixels(place.width),
                             toPixels(place.height));
        control->lower(); // going down the table leaves the stacking order as listed
    }

    setTabOrder(m_text1, m_text2);
    setTabOrder(m_text2, m_text3);
    setTabOrder(m_text3, m_combo1);
    setTabOrder(m_combo1, m_text4);
    m_text1->setFocus();

    connect(m_text1, &QLineEdit::textChanged, this, &Form1::Text1_Change);
    // activated() comes only from a pick in the list, by mouse, keys or wheel.
    connect(m_combo1, &QComboBox::activated, this, &Form1::Combo1_Click);
    connect(m_image1, &platform::Picture::clicked, this, &Form1::Image1_Click);
    connect(m_image4, &platform::Picture::clicked, this, &Form1::Image4_Click);

    centreOnScreen();
}

void Form1::Text1_KeyPress(int& keyAscii) {
    if (isAcceptedCode(keyAscii))
        return;
    m_messages->information(this, tr("Input validation"),
                            tr(" The character you entered is not allowed in the TextBox"));
    keyAscii = 0;
}

void Form1::Text1_TooLong() {
    m_messages->information(
        this, tr("Input validation"),
        tr(" The text you entered is too long for the TextBox, which takes at most %1 characters")
            .arg(maxInputLength));
}

void Form1::Text1_Change() {
    convert();
}

void Form1::Combo1_Click() {
    convert();
}

void Form1::Image1_Click() {
    close();
}

void Form1::Image4_Click() {
    m_about.show();
}

void Form1::convert() {
    const bool completed = platform::guardHandler(
        [this] { conversion::ConvertInput(*this); },
        [this](const std::exception& error) { showInputProblem(describeProblem(error)); });
    if (completed)
        showInputProblem({});
}

void Form1::showInputProblem(const QString& problem) {
    const bool invalid = !problem.isEmpty();
    const QString tip = invalid ? problem : normalInputTip();
    if (m_text1->toolTip() == tip) // each problem has its own tip, so the cue is already right
        return;
    m_text1->setToolTip(tip);
    m_text1->setAccessibleDescription(tip);
    QPalette palette = m_text1->palette();
    palette.setColor(QPalette::Base,
                     invalid ? invalidInputBase : m_text2->palette().color(QPalette::Base));
    m_text1->setPalette(palette);
}

std::string Form1::inputText() const {
    return m_text1->text().toStdString();
}

std::string Form1::scaleName() const {
    return m_combo1->currentText().toStdString();
}

void Form1::setOutputText(conversion::OutputBox box, std::string_view text) {
    platform::TextBox* output = nullptr;
    switch (box) {
    case conversion::OutputBox::Fahrenheit:
        output = m_text2;
        break;
    case conversion::OutputBox::Celsius:
        output = m_text3;
        break;
    case conversion::OutputBox::Kelvin:
        output = m_text4;
        break;
    }
    output->setText(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
}

} // namespace ui
