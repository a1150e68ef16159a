#include "SendingMainWindow.h"

#include <QTest>
#include <QtWidgets>

namespace {

const char* const DestinationName = "Views Test Destination";
const int OutputPortMenuIndex = 2;

} // namespace

SendingMainWindow::SendingMainWindow()
{
    // The resources live in a static library, so the test registers them itself.
    Q_INIT_RESOURCE(tarvo);
    m_platform.addDestination(QString::fromLatin1(DestinationName));
    m_pWindow = std::make_unique<MainWindow>(nullptr, &m_model);
    QMenu* outputPortMenu = m_pWindow->menuBar()->actions().at(OutputPortMenuIndex)->menu();
    m_pWindow->createOutputPortMenu();
    for (QAction* action : outputPortMenu->actions()) {
        if (action->text() == QLatin1String(DestinationName)) {
            m_pWindow->outputPortMenuSelected(action);
        }
    }
    // Proves the port is open; the probe is not part of what tests read.
    const unsigned char probe[] = {0xFE};
    QVERIFY(m_pWindow->transmitMidi(probe, sizeof probe));
    clearSent();
}

QList<QByteArray> SendingMainWindow::sent() const
{
    QList<QByteArray> bytes;
    for (const VirtualMidiPlatform::SentMessage& message : m_platform.sentMessages()) {
        bytes.append(message.bytes);
    }
    return bytes;
}

bool showExposed(QWidget* widget)
{
    widget->show();
    return QTest::qWaitForWindowExposed(widget);
}

QByteArray midiBytes(const char* hex)
{
    return QByteArray::fromHex(QByteArray(hex).replace(' ', ""));
}

QByteArray intRecordBlock(const QList<QPair<int, int>>& records)
{
    QByteArray block;
    QDataStream stream(&block, QIODevice::WriteOnly);
    for (const auto& record : records) {
        stream << qint32(record.first) << qint32(4) << qint32(record.second);
    }
    return block;
}
