// Saves the whole X desktop (every monitor) as a PNG file: the demo's
// before-and-after pictures. Usage: stellwick-screenshot FILE.png

#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <QTextStream>

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    const QStringList arguments = QGuiApplication::arguments();
    if (arguments.size() != 2) {
        QTextStream(stderr) << "usage: stellwick-screenshot FILE.png\n";
        return 2;
    }
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) {
        QTextStream(stderr) << "stellwick-screenshot: no screen\n";
        return 1;
    }
    const QRect desktop = screen->virtualGeometry();
    const QPixmap picture =
        screen->grabWindow(0, desktop.x(), desktop.y(), desktop.width(), desktop.height());
    if (picture.isNull() || !picture.save(arguments[1], "PNG")) {
        QTextStream(stderr) << "stellwick-screenshot: cannot save " << arguments[1] << "\n";
        return 1;
    }
    return 0;
}
