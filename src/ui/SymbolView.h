#pragma once

#include <QColor>
#include <QWidget>
#include <optional>

namespace stellwick {

// One of the interface's symbols ("chevron.right", "display", …) drawn at a
// fixed size, in the given colour or else the palette's text colour. Decorative: the texts
// beside it carry the meaning, so it is hidden from assistive technology.
class SymbolView : public QWidget {
public:
    SymbolView(const QString& name, int size, std::optional<QColor> tint, QWidget* parent = nullptr);

    const QString& name() const { return m_name; }
    void setName(const QString& name);
    const std::optional<QColor>& tint() const { return m_tint; }
    void setTint(const std::optional<QColor>& tint);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_name;
    int m_size;
    std::optional<QColor> m_tint;
};

} // namespace stellwick
