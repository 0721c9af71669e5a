#pragma once

#include <QWidget>
#include <functional>
#include <optional>

namespace stellwick {

class SwitchButton;

// A setting with a title, an optional explanation below it and a switch on
// the trailing edge. The switch shows what `read` returns and hands every
// change to `write`; call refresh() when the source changes.
class SettingToggleRow : public QWidget {
public:
    SettingToggleRow(const QString& title, const std::optional<QString>& detail, std::function<bool()> read,
                     std::function<void(bool)> write, QWidget* parent = nullptr);

    SwitchButton* toggle() const { return m_switch; }
    void refresh();

private:
    std::function<bool()> m_read;
    SwitchButton* m_switch;
};

} // namespace stellwick
