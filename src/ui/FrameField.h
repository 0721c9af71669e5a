#pragma once

#include <QLineEdit>
#include <QWidget>
#include <optional>

namespace stellwick {

// A number typed by the user: the whole text must be a finite decimal number
// in the C locale's notation, with no leading white space and nothing after
// the number. Infinities and NaN are refused: no area can be made of them.
std::optional<double> parseDecimalText(const QString& text);
// A fraction as whole percent ("%.0f" of fraction × 100): 0.5 gives "50".
QString percentText(double fraction);

// One number of an area, edited in whole percent. A typed text that parses
// becomes the value (÷ 100) and the text is rewritten in whole percent, so the
// field always settles on a whole-percent text and the value follows it. Text
// that does not parse is left as typed and changes nothing. Values set from
// outside rewrite the text.
class FrameField : public QWidget {
    Q_OBJECT

public:
    FrameField(const QString& title, double value, QWidget* parent = nullptr);

    double value() const { return m_value; }
    void setValue(double value);
    QLineEdit* lineEdit() const { return m_edit; }

signals:
    // The user's typing changed the value.
    void valueEdited(double value);

private:
    void textEdited(const QString& text);

    double m_value;
    QLineEdit* m_edit;
};

} // namespace stellwick
