#include "ui/SettingToggleRow.h"

#include "ui/PaneStyle.h"
#include "ui/SwitchButton.h"

#include <QHBoxLayout>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace stellwick {

SettingToggleRow::SettingToggleRow(const QString& title, const std::optional<QString>& detail,
                                   std::function<bool()> read, std::function<void(bool)> write,
                                   QWidget* parent)
    : QWidget(parent)
    , m_read(std::move(read))
    , m_switch(new SwitchButton(title, SwitchButton::ControlSize::small, this)) {
    using namespace pane_style;
    setObjectName(QStringLiteral("settingToggleRow"));
    auto* texts = new QVBoxLayout;
    texts->setSpacing(2);
    texts->addWidget(label(title, TextStyle::body, Tone::primary, this));
    if (detail)
        texts->addWidget(label(*detail, TextStyle::caption, Tone::secondary, this));

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(14, 6, 14, 6);
    layout->setSpacing(12);
    layout->addLayout(texts, 1);
    layout->addWidget(m_switch);
    setMinimumHeight(detail ? 52 : 44);

    connect(m_switch, &QAbstractButton::clicked, this, [this, write = std::move(write)](bool on) {
        write(on);
        refresh(); // the source decides: a refused change snaps back
    });
    refresh();
}

void SettingToggleRow::refresh() {
    const QSignalBlocker blocker(m_switch);
    m_switch->setChecked(m_read());
}

} // namespace stellwick
