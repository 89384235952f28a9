// SPDX-License-Identifier: MIT
#include "ui/Form1.h"

#include "conversion/number_text.h"
#include "design/layout.h"
#include "platform/HandlerGuard.h"
#include "platform/MessageBoxes.h"
#include "platform/Picture.h"
#include "resources/resources.h"
#include "ui/InputFilter.h"

#include <QComboBox>
#include <QLineEdit>
#include <limits>

namespace ui {

namespace {

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

// Qt's editable combo box treats a typed text that matches an entry (ignoring case) as a pick
// when its field takes Enter or loses the focus. A field whose text never counts as finished
// keeps typing just typing; picks from the list are unaffected.
class NeverFinishedText : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString&, int&) const override { return Intermediate; }
};

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

QLineEdit* makeTextBox(const char* name, const QString& accessibleName, bool readOnly,
                       QWidget* parent) {
    auto* box = new QLineEdit(parent);
    box->setObjectName(QLatin1String(name));
    box->setAccessibleName(accessibleName);
    box->setReadOnly(readOnly); // read-only boxes still take the focus and allow selection
    // No length limit: QLineEdit would cut a long input, and the echo with its unit, at 32767.
    box->setMaxLength(std::numeric_limits<int>::max());
    box->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    box->setFont(textBoxFont());
    QPalette palette = box->palette();
    palette.setColor(QPalette::Text, textBoxColour);
    box->setPalette(palette);
    return box;
}

// The combo box's field is made with the box, so that it follows the box in the focus chain;
// otherwise Shift+Tab would reach it out of order.
QComboBox* makeScaleBox(QWidget* parent) {
    auto* scales = new QComboBox(parent);
    scales->setObjectName(QStringLiteral("Combo1"));
    scales->setAccessibleName(Form1::tr("Scale"));
    scales->setEditable(true);
    scales->setCompleter(nullptr); // no completion: a typed "celsius" stays as typed
    scales->setInsertPolicy(QComboBox::NoInsert);
    scales->setValidator(new NeverFinishedText(scales));
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
    , m_text1(makeTextBox("Text1", tr("Temperature to convert"), false, this))
    , m_text2(makeTextBox("Text2", tr("Fahrenheit"), true, this))
    , m_text3(makeTextBox("Text3", tr("Celsius"), true, this))
    , m_combo1(makeScaleBox(this))
    , m_text4(makeTextBox("Text4", tr("Kelvin"), true, this)) {
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
    new InputFilter(*m_text1, [this](int& keyAscii) { Text1_KeyPress(keyAscii); });

    for (const Placement& place : designLayout) {
        auto* control =
            findChild<QWidget*>(QString::fromLatin1(place.control), Qt::FindDirectChildrenOnly);
        Q_ASSERT(control);
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
    if (m_text1->property("invalid").toBool() == invalid && m_text1->toolTip() == tip)
        return;
    m_text1->setProperty("invalid", invalid);
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
    QLineEdit* output = nullptr;
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
