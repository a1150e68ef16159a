#include "views/LicenseInfoView.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
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
    void findsTheFileAndReplacesEveryPlaceholder();
    void showsTheFileBesideTheExecutable();
    void theBuildPutsTheShippedTextBesideTheApplication();
    void cleanup();
};

void LicenseInfoViewTest::findsTheFileAndReplacesEveryPlaceholder()
{
    QTemporaryDir root;
    QVERIFY(root.isValid());
    QDir dir(root.path());
    QVERIFY(dir.mkpath("bin") && dir.mkpath("share/tarvo"));
    const QString bin = dir.filePath("bin");

    // Beside the executable first, then in the installed share folder.
    QCOMPARE(LicenseInfoView::findLicenseFile(bin), QString());
    const QString installed = dir.filePath("share/tarvo/" + LicenseFileName);
    QVERIFY(writeFile(installed, "installed"));
    QCOMPARE(LicenseInfoView::findLicenseFile(bin), installed);
    const QString beside = dir.filePath("bin/" + LicenseFileName);
    QVERIFY(writeFile(beside, "beside"));
    QCOMPARE(LicenseInfoView::findLicenseFile(bin), beside);
    // A folder of that name is no licence file.
    QVERIFY(QFile::remove(beside) && dir.mkpath("bin/" + LicenseFileName));
    QCOMPARE(LicenseInfoView::findLicenseFile(bin), installed);

    static const char bytes[] = "Qt QT_VERSION\r\nQT_VERSIONQT_VERSION and \xC3\xA4\nend\0ignored";
    QVERIFY(writeFile(installed, QByteArray(bytes, sizeof(bytes) - 1)));
    const QString version = QString::fromLatin1(qVersion());
    QCOMPARE(LicenseInfoView::readLicenseText(installed),
             "Qt " + version + "\n" + version + version + " and " + QChar(0xE4) + "\nend");
    QCOMPARE(LicenseInfoView::readLicenseText(dir.filePath("missing.txt")), QString());
    QCOMPARE(LicenseInfoView::readLicenseText(QString()), QString());
}

void LicenseInfoViewTest::showsTheFileBesideTheExecutable()
{
    {
        LicenseInfoView empty(nullptr);
        QVERIFY(empty.toPlainText().isEmpty());
    }
    const QString path = QDir(QCoreApplication::applicationDirPath()).filePath(LicenseFileName);
    QVERIFY(writeFile(path, "Qt QT_VERSION is used under the LGPL."));

    auto* view = new LicenseInfoView(nullptr);
    QPointer<LicenseInfoView> guard(view);
    QCOMPARE(view->toPlainText(), "Qt " + QString::fromLatin1(qVersion()) + " is used under the LGPL.");
    QVERIFY(view->isReadOnly());
    view->show();
    QVERIFY(QTest::qWaitForWindowExposed(view));
    view->close();
    QTRY_VERIFY(guard.isNull());
}

void LicenseInfoViewTest::theBuildPutsTheShippedTextBesideTheApplication()
{
    const QString path = LicenseInfoView::findLicenseFile(QStringLiteral(TARVO_APP_BINARY_DIR));
    QCOMPARE(path, QDir(QStringLiteral(TARVO_APP_BINARY_DIR)).filePath(LicenseFileName));
    const QString text = LicenseInfoView::readLicenseText(path);
    QVERIFY(text.contains("Qt " + QString::fromLatin1(qVersion())));
    QVERIFY(!text.contains("QT_VERSION"));
    QVERIFY(text.contains("GNU LESSER GENERAL PUBLIC LICENSE"));
    QVERIFY(text.contains("RtMidi"));
}

void LicenseInfoViewTest::cleanup()
{
    QFile::remove(QDir(QCoreApplication::applicationDirPath()).filePath(LicenseFileName));
}

QTEST_MAIN(LicenseInfoViewTest)
#include "LicenseInfoViewTest.moc"
