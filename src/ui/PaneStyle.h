#pragma once

#include <QColor>
#include <QFont>
#include <QFrame>
#include <QLabel>
#include <QPushButton>

// Fonts, colours and small building blocks shared by the whole interface:
// the tray panel, the settings window, its panes and sheets. Colours come from the palette, so light and dark
// themes both read well.
namespace stellwick::pane_style {

enum class TextStyle { body, callout, caption, caption2, headline, title2, title3 };
enum class Tone { primary, secondary, tertiary };

QFont font(TextStyle style, QFont::Weight weight = QFont::Normal);
QColor toneColor(const QPalette& palette, Tone tone);
QColor accent(const QPalette& palette);
QColor withOpacity(QColor color, double opacity);
QColor orange();
QColor green();
QColor red();

// Sets the widget's text colour for every colour group.
void setTextColor(QWidget* widget, const QColor& color);

// A plain-text label in the given style and tone.
QLabel* label(const QString& text, TextStyle style, Tone tone, QWidget* parent,
              QFont::Weight weight = QFont::Normal);
// A one-pixel horizontal line, inset left and right by `inset`.
QWidget* divider(QWidget* parent, int inset = 0);
// A push button with an object name that tests and scripts find it by.
QPushButton* namedButton(const QString& text, const char* objectName, QWidget* parent);
// Fills the widget's background with a (possibly translucent) colour.
void fillBackground(QWidget* widget, const QColor& color);
// The highlighted look of a window's main action.
void makeProminent(QPushButton* button);
// The look of an action that removes something.
void makeDestructive(QPushButton* button);

// Lays out `owner` as a notice across the window: a strip tinted with `tint`
// holding the symbol, a heading, a wrapping detail line and `button`, then a
// divider. Returns the strip.
QWidget* buildNoticeStrip(QWidget* owner, const QString& symbol, const QColor& tint, const QString& heading,
                          const QString& detail, QPushButton* button);

// A rounded card on the control background with a faint outline.
class Card : public QFrame {
public:
    explicit Card(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace stellwick::pane_style
