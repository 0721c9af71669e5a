#pragma once

#include <QColor>
#include <QFont>

class QLabel;
class QPalette;
class QWidget;

namespace stellwick::look {

// Text styles derived from the platform's font: headline (bold body),
// caption (one point smaller) and small caption (two points smaller).
QFont headline(const QFont& base);
QFont caption(const QFont& base, QFont::Weight weight = QFont::Normal);
QFont smallCaption(const QFont& base);

// Text colours of lower emphasis, mixed from the palette's text and window.
QColor secondaryText(const QPalette& palette);
QColor tertiaryText(const QPalette& palette);

// Colours that carry meaning regardless of the palette.
QColor successGreen();
QColor warningOrange();
QColor errorRed();

// Sets the label's text colour for every colour group.
void setTextColour(QWidget* widget, const QColor& colour);

// A one-pixel horizontal line in the palette's mid colour, inset left and right.
QWidget* divider(QWidget* parent, int inset = 0);

} // namespace stellwick::look
