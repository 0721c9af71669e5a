#include "ui/MenuRow.h"

#include "ui/PaneStyle.h"
#include "ui/Symbols.h"

#include <QKeyEvent>
#include <QPainter>
#include <QPainterPath>
#include <QShortcut>

namespace stellwick {

namespace {
constexpr int rowHeight = 27;
constexpr int margin = 8;
constexpr int symbolSlot = 13;
constexpr int gap = 6;
} // namespace

MenuRow::MenuRow(const QString& title, const QString& leadingSymbol, const QKeySequence& shortcut,
                 QWidget* parent)
    : QAbstractButton(parent)
    , m_symbol(leadingSymbol)
    , m_keys(shortcut) {
    setTitle(title);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_Hover);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    if (!shortcut.isEmpty()) {
        auto* keys = new QShortcut(shortcut, this);
        keys->setContext(Qt::WindowShortcut);
        connect(keys, &QShortcut::activated, this, &QAbstractButton::click);
        setAccessibleDescription(shortcutHint());
    }
}

void MenuRow::setTitle(const QString& title) {
    setText(title);
    setAccessibleName(title);
    update();
}

void MenuRow::setLeadingSymbol(const QString& symbol) {
    if (symbol == m_symbol)
        return;
    m_symbol = symbol;
    update();
}

QString MenuRow::shortcutHint() const {
    return m_keys.toString(QKeySequence::NativeText);
}

QSize MenuRow::sizeHint() const {
    const QFontMetrics metrics(font());
    const QFontMetrics hintMetrics(pane_style::font(pane_style::TextStyle::caption));
    return {margin + symbolSlot + gap + metrics.horizontalAdvance(text()) + 16 +
                hintMetrics.horizontalAdvance(shortcutHint()) + margin,
            rowHeight};
}

void MenuRow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const bool highlighted = m_hovered || hasFocus() || isDown();
    const QPalette& pal = palette();
    if (highlighted) {
        QPainterPath background;
        background.addRoundedRect(QRectF(rect()), 5, 5);
        painter.fillPath(background, pal.color(QPalette::Highlight));
    }

    const QRect content = rect().adjusted(margin, 0, -margin, 0);
    if (!m_symbol.isEmpty()) {
        const QRect slot(content.left(), content.center().y() - symbolSlot / 2, symbolSlot, symbolSlot);
        symbolIcon(m_symbol).paint(&painter, slot, Qt::AlignCenter,
                                   highlighted ? QIcon::Selected : QIcon::Normal);
    }

    const QString hint = shortcutHint();
    QRect textRect = content.adjusted(symbolSlot + gap, 0, 0, 0);
    if (!hint.isEmpty()) {
        painter.setFont(pane_style::font(pane_style::TextStyle::caption));
        QColor hintColour = highlighted ? pal.color(QPalette::HighlightedText)
                                        : pane_style::toneColor(pal, pane_style::Tone::secondary);
        if (highlighted)
            hintColour.setAlphaF(0.8f);
        painter.setPen(hintColour);
        painter.drawText(content, Qt::AlignRight | Qt::AlignVCenter, hint);
        textRect.setRight(content.right() - painter.fontMetrics().horizontalAdvance(hint) - 12);
    }
    painter.setFont(font());
    painter.setPen(pal.color(highlighted ? QPalette::HighlightedText : QPalette::WindowText));
    painter.drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter,
                     painter.fontMetrics().elidedText(text(), Qt::ElideRight, textRect.width()));
}

void MenuRow::enterEvent(QEnterEvent* event) {
    m_hovered = true;
    // Pointer and keyboard share one highlight, as in a menu.
    setFocus(Qt::MouseFocusReason);
    update();
    QAbstractButton::enterEvent(event);
}

void MenuRow::leaveEvent(QEvent* event) {
    m_hovered = false;
    update();
    QAbstractButton::leaveEvent(event);
}

void MenuRow::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        click();
        return;
    case Qt::Key_Up:
    case Qt::Key_Down:
        event->ignore(); // the panel moves between rows
        return;
    default:
        QAbstractButton::keyPressEvent(event);
    }
}

void MenuRow::focusInEvent(QFocusEvent* event) {
    update();
    QAbstractButton::focusInEvent(event);
}

void MenuRow::focusOutEvent(QFocusEvent* event) {
    update();
    QAbstractButton::focusOutEvent(event);
}

} // namespace stellwick
