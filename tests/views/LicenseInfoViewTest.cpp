#include "views/LicenseInfoView.h"

#include <QtTest>

namespace {

const QString LicenseFileName = QStringLiteral("OpenSourceLicense.txt");
const QString Beside = "bin/" + LicenseFileName;
const QString Installed = "share/tarvo/" + LicenseFileName;

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
    void findsTheFileBesideTheExecutableFirst_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QString>("found");
        QTest::newRow("none") << QStringList{} << QString();
        QTest::newRow("installed") << QStringList{Installed} << Installed;
        QTest::newRow("both") << QStringList{Installed, Beside} << Beside;
        QTest::newRow("a folder beside") << QStringList{Installed, Beside + "/"} << Installed;
    }
    void findsTheFileBesideTheExecutableFirst()
    {
        QFETCH(QStringList, files);
        QFETCH(QString, found);
        QTemporaryDir root;
        QDir dir(root.path());
        QVERIFY(dir.mkpath("bin") && dir.mkpath("share/tarvo"));
        for (const QString& file : files) {
            QVERIFY(file.endsWith('/') ? dir.mkpath(file) : writeFile(dir.filePath(file), "text"));
        }
        QCOMPARE(LicenseInfoView::findLicenseFile(dir.filePath("bin")), found.isEmpty() ? found : dir.filePath(found));
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
