#pragma once

#include <QImage>
#include <QWidget>
#include <optional>

namespace stellwick {

class ProbeViewModel;

// An application's icon by bundle identifier, or the "app.fill" symbol in the
// secondary colour when the desktop knows no icon for it. The icon is looked
// up again each time the view is shown (an application installed meanwhile
// gets its icon), not on every paint: the lookup may ask the X server.
class AppIcon : public QWidget {
public:
    AppIcon(ProbeViewModel& model, const QString& bundleIdentifier, int size, QWidget* parent = nullptr);

    void setBundleIdentifier(const QString& bundleIdentifier);
    bool showsFallback() const { return !m_image; }

protected:
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void lookUp();

    ProbeViewModel& m_model;
    QString m_bundleIdentifier;
    int m_size;
    std::optional<QImage> m_image;
};

} // namespace stellwick
