#include "BuildInfo.h"

#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Stellwick"));
    QCoreApplication::setApplicationVersion(QString::fromLatin1(stellwick::build::version));
    QTextStream(stdout) << "Stellwick " << stellwick::build::version << "\n";
    return 0;
}
