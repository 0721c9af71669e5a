#pragma once

#include <QAbstractButton>
#include <QKeySequence>

namespace stellwick {

// One row of the tray panel: a symbol slot (kept empty when there is no
// symbol, so titles line up), the title, and the shortcut hint at the right
// end. The whole row is clickable; the pointer or keyboard focus highlights it
// in the accent colour. Return and Enter activate it; its keyboard shortcut,
// if any, works while its window has focus.
class MenuRow final : public QAbstractButton {
    Q_OBJECT
public:
    MenuRow(const QString& title, const QString& leadingSymbol, const QKeySequence& shortcut,
            QWidget* parent);

    void setTitle(const QString& title);
    void setLeadingSymbol(const QString& symbol);
    const QString& leadingSymbol() const { return m_symbol; }
    // The key hint as shown, "Ctrl+R"; empty without a shortcut.
    QString shortcutHint() const;
    bool isHovered() const { return m_hovered; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    QString m_symbol;
    QKeySequence m_keys;
    bool m_hovered = false;
};

} // namespace stellwick
