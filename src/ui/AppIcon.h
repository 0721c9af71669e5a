#pragma once

#include <QImage>
#include <QWidget>
#include <optional>

namespace stellwick {

class ProbeViewModel;

// An application's icon by bundle identifier, or the "app.fill" symbol in the
// secondary colour when the desktop knows no icon for it. The icon is looked
// up at the first paint after each showing (an application installed
// meanwhile gets its icon), not on every paint: the lookup may ask the X
// server, and icons scrolled out of sight are never looked up.
class AppIcon : public QWidget {
    Q_OBJECT

public:
    AppIcon(ProbeViewModel& model, const QString& bundleIdentifier, int size, QWidget* parent = nullptr);

    void setBundleIdentifier(const QString& bundleIdentifier);
    bool showsFallback();

protected:
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void lookUpIfStale();

    ProbeViewModel& m_model;
    QString m_bundleIdentifier;
    int m_size;
    std::optional<QImage> m_image;
    bool m_stale = true;
};

} // namespace stellwick
