#include "ImageGenerator.h"

#include <QGuiApplication>
#include <QTextStream>

int main(int argc, char* argv[])
{
    QGuiApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() != 3) {
        QTextStream(stderr) << "usage: tarvo-imagegen <images folder> <icons folder>\n";
        return 2;
    }
    const bool imagesWritten = ImageGenerator::writeAll(arguments.at(1));
    const bool iconsWritten = ImageGenerator::writeIcons(arguments.at(2));
    return imagesWritten && iconsWritten ? 0 : 1;
}
