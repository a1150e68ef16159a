#pragma once

#include "PortMenus.h"
#include "VirtualMidiPlatform.h"

#include "app/MainWindow.h"
#include "model/TarvoModel.h"

#include <QByteArray>
#include <QList>

#include <memory>

// The main window over a virtual MIDI platform with one source and one
// destination, both chosen through the port menus, so that
// MainWindow::transmitMidi reaches the platform's record of sends.
struct ServiceTestRig
{
    ServiceTestRig()
        : source(platform.addSource(QStringLiteral("Keys")))
        , window(std::make_unique<MainWindow>(nullptr, &model))
    {
        platform.addDestination(QStringLiteral("Synth"));
        choosePort(*window, InputPortMenu, QStringLiteral("Keys"));
        choosePort(*window, OutputPortMenu, QStringLiteral("Synth"));
    }

    QList<QByteArray> sentBytes() const
    {
        QList<QByteArray> bytes;
        for (const VirtualMidiPlatform::SentMessage& message : platform.sentMessages())
            bytes.append(message.bytes);
        return bytes;
    }

    // Declared in order of creation; the window goes before the model and the
    // platform.
    VirtualMidiPlatform platform;
    TarvoModel model;
    MidiPlatformIF::Ref source;
    std::unique_ptr<MainWindow> window;
};
