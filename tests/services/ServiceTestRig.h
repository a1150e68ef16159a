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
// destination, its output port selected through the OutputPort menu, so that
// MainWindow::transmitMidi reaches the platform's record of sends.
struct ServiceTestRig
{
    static constexpr int InputPortMenuIndex = 1;
    static constexpr int OutputPortMenuIndex = 2;

    ServiceTestRig()
        : source(platform.addSource(QStringLiteral("Keys")))
        , destination(platform.addDestination(QStringLiteral("Synth")))
        , window(std::make_unique<MainWindow>(nullptr, &model))
    {
        window->createOutputPortMenu();
        window->outputPortMenuSelected(portAction(OutputPortMenuIndex, QStringLiteral("Synth")));
    }

    void openInputPort()
    {
        window->createInputPortMenu();
        window->inputPortMenuSelected(portAction(InputPortMenuIndex, QStringLiteral("Keys")));
    }

    QAction* portAction(int menuIndex, const QString& name) const
    {
        QMenu* menu = window->menuBar()->actions().at(menuIndex)->menu();
        for (QAction* action : menu->actions()) {
            if (action->text() == name)
                return action;
        }
        return nullptr;
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

inline QByteArray bytes(std::initializer_list<unsigned char> values)
{
    QByteArray array;
    for (unsigned char value : values)
        array.append(static_cast<char>(value));
    return array;
}
