// The smallest Qt Widgets tray application worth comparing with: a tray
// icon, a 296-pixel pop-up made on first click and, with --settings-window, a
// small settings window shown at start and deleted when closed. The idle
// benchmark sets Stellwick's memory and wake-ups against it.

#include <QApplication>
#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QSystemTrayIcon>
#include <QVBoxLayout>
#include <memory>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);

    QPixmap mark(22, 22);
    mark.fill(Qt::transparent);
    {
        QPainter painter(&mark);
        painter.setPen(QPen(Qt::white, 2));
        painter.drawRect(3, 4, 16, 12);
    }
    QSystemTrayIcon tray{QIcon(mark)};

    std::unique_ptr<QFrame> popup;
    QObject::connect(&tray, &QSystemTrayIcon::activated, [&] {
        if (!popup) {
            popup = std::make_unique<QFrame>(nullptr, Qt::Popup);
            popup->setFixedWidth(296);
            auto* layout = new QVBoxLayout(popup.get());
            layout->addWidget(new QLabel(QStringLiteral("Baseline"), popup.get()));
        }
        popup->move(QCursor::pos());
        popup->show();
    });
    tray.show();

    if (QApplication::arguments().contains(QStringLiteral("--settings-window"))) {
        auto* settings = new QWidget;
        settings->setAttribute(Qt::WA_DeleteOnClose);
        settings->setWindowTitle(QStringLiteral("Baseline settings"));
        auto* layout = new QVBoxLayout(settings);
        layout->addWidget(new QLabel(QStringLiteral("Profiles and applications"), settings));
        layout->addWidget(new QLineEdit(QStringLiteral("Profile 1"), settings));
        layout->addWidget(new QCheckBox(QStringLiteral("Apply after login"), settings));
        layout->addWidget(new QPushButton(QStringLiteral("Apply"), settings));
        settings->resize(880, 592);
        settings->show();
    }
    return QApplication::exec();
}
