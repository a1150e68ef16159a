#pragma once

#include "VirtualMidiPlatform.h"

#include "app/MainWindow.h"
#include "model/TarvoModel.h"

#include <QAction>
#include <QByteArray>
#include <QList>
#include <QMenu>
#include <QMenuBar>

#include <memory>

// The main window over a virtual MIDI platform with one source and one
// destination, both chosen through the port menus, so that
// MainWindow::transmitMidi reaches the platform's record of sends.
struct ServiceTestRig
{
    ServiceTestRig()
        : source(platform.addSource(QStringLiteral("Keys")))
        , destination(platform.addDestination(QStringLiteral("Synth")))
        , window(std::make_unique<MainWindow>(nullptr, &model))
    {
        for (int menuIndex : {1, 2}) {
            QMenu* menu = window->menuBar()->actions().at(menuIndex)->menu();
            emit menu->aboutToShow();
            menu->actions().at(1)->trigger();
        }
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
    MidiPlatformIF::Ref destination;
    std::unique_ptr<MainWindow> window;
};
