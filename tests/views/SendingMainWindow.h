#pragma once

#include "VirtualMidiPlatform.h"
#include "app/MainWindow.h"
#include "model/TarvoModel.h"

#include <QtTest>
#include <QtWidgets>

#include <memory>

// A real main window whose output port is open on a destination of the
// virtual platform, so that a test reads back every message its views send.
class SendingMainWindow
{
public:
    SendingMainWindow();

    // The bytes of every send to the destination, in order.
    QList<QByteArray> sent() const;
    void clearSent() { m_platform.clearSentMessages(); }
    int transmissionState() { return m_model.getModelIntValue(TransmissionStateId); }
    // What the window's views are made with.
    ViewContext context() { return m_pWindow->viewContext(); }

    VirtualMidiPlatform m_platform;
    TarvoModel m_model;
    std::unique_ptr<MainWindow> m_pWindow;
};

// Shows widget and waits until it can take input.
bool showExposed(QWidget* widget);

// Bytes written as hexadecimal pairs, for example "90 3C 64".
QByteArray midiBytes(const char* hex);

// Builds a content block of integer records from (tag, value) pairs.
QByteArray intRecordBlock(const QList<QPair<int, int>>& records);
