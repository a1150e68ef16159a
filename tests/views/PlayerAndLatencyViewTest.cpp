// The MIDI File Player and the Latency Test windows over a real main window
// and the virtual platform: a damaged file is refused with its byte and the
// file before stays; Play sends the file and Stop silences what sounded; the
// latency window measures a known echo, draws every round trip and saves
// the times; with MIDI Thru on it sends nothing.

#include "PortMenus.h"
#include "SendingMainWindow.h"
#include "services/MidiFileWriter.h"
#include "views/LatencyHistogram.h"
#include "views/LatencyTestView.h"
#include "views/MidiPlayerView.h"

#include <QSpinBox>

#include <numeric>

namespace {

const char* const SourceName = "Views Test Source";
const int BoxPollMs = 5;

QPushButton* button(QWidget* view, const char* text)
{
    for (QPushButton* candidate : view->findChildren<QPushButton*>()) {
        if (candidate->text() == QLatin1String(text))
            return candidate;
    }
    return nullptr;
}

// Answers the message boxes and file dialogs that come while it lives,
// accepting what they propose; the text of the last box.
class Answerer
{
public:
    Answerer()
    {
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                m_boxText = box->text();
                box->accept();
            } else if (QDialog* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
                dialog->accept();
            }
        });
        m_timer.start(BoxPollMs);
    }
    QString boxText() const { return m_boxText; }

private:
    QTimer m_timer;
    QString m_boxText;
};

} // namespace

class PlayerAndLatencyViewTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<SendingMainWindow> m_pBench;
    QTemporaryDir m_directory;

    QStringList sentHex() const
    {
        QStringList messages;
        for (const QByteArray& bytes : m_pBench->sent())
            messages << QString::fromLatin1(bytes.toHex(' ').toUpper());
        return messages;
    }

private slots:
    void init()
    {
        m_pBench = std::make_unique<SendingMainWindow>();
        QVERIFY(m_directory.isValid());
    }
    void cleanup() { m_pBench.reset(); }

    void playerRefusesADamagedFileAndPlaysAGoodOne()
    {
        MidiPlayerView player(nullptr, m_pBench->context());
        QVERIFY(showExposed(&player));
        QByteArray file;
        QString error;
        QVERIFY(MidiFileWriter::write({{0, midiBytes("90 3C 64")}, {0, midiBytes("91 40 64")},
                                       {60000000, midiBytes("80 3C 40")}},
                                      0, &file, &error));
        const QString good = m_directory.filePath(QStringLiteral("good.mid"));
        const QString damaged = m_directory.filePath(QStringLiteral("damaged.mid"));
        QFile goodFile(good);
        QVERIFY(goodFile.open(QIODevice::WriteOnly) && goodFile.write(file) == file.size());
        goodFile.close();
        QFile damagedFile(damaged);
        QVERIFY(damagedFile.open(QIODevice::WriteOnly) && damagedFile.write(file.left(30)) == 30);
        damagedFile.close();
        QVERIFY(player.openFile(good));
        {
            Answerer answerer;
            QVERIFY(!player.openFile(damaged));
            QVERIFY2(answerer.boxText().contains(
                         QLatin1String("damaged.mid: Damaged MIDI file at byte 18: track length beyond the end of the file")),
                     qPrintable(answerer.boxText()));
        }
        QVERIFY(player.findChild<QLabel*>()->text() == QLatin1String("good.mid"));

        QTest::mouseClick(button(&player, "&Play"), Qt::LeftButton);
        QVERIFY(m_pBench->m_platform.waitForSends(2));
        QTest::mouseClick(button(&player, "&Stop"), Qt::LeftButton);
        QTRY_VERIFY(button(&player, "&Play") != nullptr && button(&player, "&Play")->isEnabled());
        QCOMPARE(sentHex(), QStringList({"90 3C 64", "91 40 64", "80 3C 40", "81 40 40", "B0 7B 00", "B1 7B 00"}));
    }

    void latencyWindowMeasuresAKnownEcho()
    {
        VirtualMidiPlatform& platform = m_pBench->m_platform;
        const MidiPlatformIF::Ref source = platform.addSource(QLatin1String(SourceName));
        QVERIFY(choosePort(*m_pBench->m_pWindow, InputPortMenu, QLatin1String(SourceName)));
        platform.setScheduling(true);
        platform.setEcho(platform.endpoint(MidiEndpointKind::Destination, 0), source, 2500);
        LatencyTestView latency(nullptr, m_pBench->context());
        QVERIFY(showExposed(&latency));
        QList<QSpinBox*> boxes = latency.findChildren<QSpinBox*>();
        boxes.at(0)->setValue(40);
        boxes.at(1)->setValue(2);

        // An echo that MIDI Thru sent on would come back for ever.
        m_pBench->m_model.setModelIntValue(MidiThruId, 1);
        QTest::mouseClick(button(&latency, "&Start"), Qt::LeftButton);
        QVERIFY(button(&latency, "&Start") != nullptr);
        QVERIFY(m_pBench->sent().isEmpty());
        m_pBench->m_model.setModelIntValue(MidiThruId, 0);

        QTest::mouseClick(button(&latency, "&Start"), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(button(&latency, "&Start") != nullptr, 10000);
        const QVector<int> bins = latency.findChild<LatencyHistogram*>()->bins();
        QCOMPARE(std::accumulate(bins.begin(), bins.end(), 0), 40);
        QCOMPARE(bins.first(), 40);
        QString figures;
        for (QLabel* label : latency.findChildren<QLabel*>()) {
            if (label->text().startsWith(QLatin1String("Round trip")))
                figures = label->text();
        }
        QVERIFY2(figures.contains(QLatin1String("min\t2.500\nmedian\t2.500\np99\t2.500\nmax\t2.500")), qPrintable(figures));
        QVERIFY2(figures.contains(QLatin1String("back\t40\nlost\t0")), qPrintable(figures));

        m_pBench->m_model.setModelStringValue(DumpFileWorkingDirectoryId, m_directory.path());
        Answerer answerer;
        QTest::mouseClick(button(&latency, "Save &CSV..."), Qt::LeftButton);
        QFile csv(m_directory.filePath(QStringLiteral("latency.csv")));
        QVERIFY(csv.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = csv.readAll().trimmed().split('\n');
        QCOMPARE(lines.size(), 41);
        QCOMPARE(lines.at(1), QByteArray("1,2.500"));
    }
};

QTEST_MAIN(PlayerAndLatencyViewTest)
#include "PlayerAndLatencyViewTest.moc"
