#pragma once

#include <QAbstractButton>

namespace stellwick {

// An on/off switch. Checkable button: it takes keyboard focus, Space toggles
// it, and assistive technology sees a check box with a toggle action under
// the name given here (the visible label sits beside it, or nowhere).
class SwitchButton : public QAbstractButton {
    Q_OBJECT

public:
    enum class ControlSize { small, mini };

    SwitchButton(const QString& accessibleName, ControlSize size, QWidget* parent = nullptr);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QSize trackSize() const;
    ControlSize m_size;
};

} // namespace stellwick
