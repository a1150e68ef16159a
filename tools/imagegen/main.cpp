#include "ImageGenerator.h"

#include <QGuiApplication>
#include <QTextStream>

int main(int argc, char* argv[])
{
    QGuiApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() != 2) {
        QTextStream(stderr) << "usage: tarvo-imagegen <output folder>\n";
        return 2;
    }
    return ImageGenerator::writeAll(arguments.at(1)) ? 0 : 1;
}
