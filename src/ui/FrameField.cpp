#include "ui/FrameField.h"

#include "ui/PaneStyle.h"

#include <QHBoxLayout>
#include <QVBoxLayout>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <locale.h>

namespace stellwick {

namespace {

locale_t cLocale() {
    static const locale_t locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return locale;
}

bool isLeadingSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r' || c == '\0';
}

} // namespace

std::optional<double> parseDecimalText(const QString& text) {
    const QByteArray bytes = text.toUtf8();
    if (bytes.isEmpty() || isLeadingSpace(bytes.front()))
        return std::nullopt;
    char* end = nullptr;
    const double number = strtod_l(bytes.constData(), &end, cLocale());
    // The whole text, including anything after an embedded NUL, must be the number.
    if (end != bytes.constData() + bytes.size() || !std::isfinite(number))
        return std::nullopt;
    return number;
}

QString percentText(double fraction) {
    char buffer[400];
    std::snprintf(buffer, sizeof buffer, "%.0f", fraction * 100);
    return QString::fromLatin1(buffer);
}

FrameField::FrameField(const QString& title, double value, QWidget* parent)
    : QWidget(parent)
    , m_value(value)
    , m_edit(new QLineEdit(percentText(value), this)) {
    using namespace pane_style;
    m_edit->setObjectName(QStringLiteral("frameFieldEdit"));
    m_edit->setPlaceholderText(QStringLiteral("0"));
    m_edit->setFixedWidth(48);
    m_edit->setAccessibleName(title);

    auto* row = new QHBoxLayout;
    row->setSpacing(3);
    row->addWidget(m_edit);
    row->addWidget(label(QStringLiteral("%"), TextStyle::caption, Tone::secondary, this));
    row->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(3);
    layout->addWidget(label(title, TextStyle::caption2, Tone::secondary, this));
    layout->addLayout(row);

    connect(m_edit, &QLineEdit::textEdited, this, &FrameField::textEdited);
}

void FrameField::setValue(double value) {
    m_value = value;
    const QString text = percentText(value);
    if (m_edit->text() != text)
        m_edit->setText(text);
}

void FrameField::textEdited(const QString& text) {
    const std::optional<double> number = parseDecimalText(text);
    if (!number)
        return;
    // The value rewrites the text in whole percent, which is read again: the
    // field settles on that text and the value follows it.
    const QString settledText = percentText(*number / 100);
    const std::optional<double> settledNumber = parseDecimalText(settledText);
    if (!settledNumber)
        return; // only at the very edge of the double range
    const double settled = *settledNumber / 100;
    if (m_edit->text() != settledText)
        m_edit->setText(settledText);
    if (settled != m_value) {
        m_value = settled;
        emit valueEdited(settled);
    }
}

} // namespace stellwick
