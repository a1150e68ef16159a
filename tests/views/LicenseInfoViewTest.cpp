#include "views/LicenseInfoView.h"

#include <QtTest>

namespace {

const QString LicenseFileName = QStringLiteral("OpenSourceLicense.txt");

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace

class LicenseInfoViewTest : public QObject
{
    Q_OBJECT

private slots:
    // Beside the executable first, then in the installed share folder; a folder of that name is no file.
    void findsTheFileBesideTheExecutableFirst()
    {
        QTemporaryDir root;
        QDir dir(root.path());
        const QString bin = dir.filePath("bin");
        const QString installed = dir.filePath("share/tarvo/" + LicenseFileName);
        QVERIFY(dir.mkpath("bin") && dir.mkpath("share/tarvo"));
        QCOMPARE(LicenseInfoView::findLicenseFile(bin), QString());
        QVERIFY(writeFile(installed, "installed"));
        QCOMPARE(LicenseInfoView::findLicenseFile(bin), installed);
        QVERIFY(writeFile(bin + "/" + LicenseFileName, "beside"));
        QCOMPARE(LicenseInfoView::findLicenseFile(bin), bin + "/" + LicenseFileName);
        QVERIFY(QFile::remove(bin + "/" + LicenseFileName) && dir.mkpath("bin/" + LicenseFileName));
        QCOMPARE(LicenseInfoView::findLicenseFile(bin), installed);
    }

    void showsTheTextUpToAZeroByteWithTheQtVersion()
    {
        const QString path = QDir(QCoreApplication::applicationDirPath()).filePath(LicenseFileName);
        static const char bytes[] = "Qt QT_VERSION\r\nQT_VERSIONQT_VERSION and \xC3\xA4\nend\0ignored";
        QVERIFY(writeFile(path, QByteArray(bytes, sizeof(bytes) - 1)));
        const QString version = QString::fromLatin1(qVersion());
        const QString text = LicenseInfoView(nullptr).toPlainText();
        QVERIFY(QFile::remove(path));
        QCOMPARE(text, "Qt " + version + "\n" + version + version + " and " + QChar(0xE4) + "\nend");
        QCOMPARE(LicenseInfoView::readLicenseText(path), QString());
    }
};

QTEST_MAIN(LicenseInfoViewTest)
#include "LicenseInfoViewTest.moc"
