#pragma once

#include "VirtualMidiPlatform.h"

#include "engine/MidiEngine.h"
#include "model/TarvoModel.h"
#include "services/MidiEngineSettings.h"

#include <QByteArray>
#include <QList>

#include <memory>

// The MIDI engine over a virtual platform, taking its settings from a model
// as the window's does, with the source "Keys" and the destination "Synth"
// open, so that what the engine sends reaches the platform's record of sends.
struct EngineRig
{
    EngineRig()
        : source(platform.addSource(QStringLiteral("Keys")))
    {
        platform.addDestination(QStringLiteral("Synth"));
        engine = std::make_unique<MidiEngine>(QStringLiteral("Tarvo Suite"), MidiSystem::Automatic);
        settings = std::make_unique<MidiEngineSettings>(&model, engine.get());
        engine->inputPort().openInputPort(QStringLiteral("Keys"));
        engine->outputPort().openOutputPort(QStringLiteral("Synth"));
    }

    QList<QByteArray> sentBytes() const
    {
        QList<QByteArray> bytes;
        for (const VirtualMidiPlatform::SentMessage& message : platform.sentMessages())
            bytes.append(message.bytes);
        return bytes;
    }

    // Declared in order of creation; the settings go before the engine, the
    // engine before the model and the platform.
    VirtualMidiPlatform platform;
    TarvoModel model;
    MidiPlatformIF::Ref source;
    std::unique_ptr<MidiEngine> engine;
    std::unique_ptr<MidiEngineSettings> settings;
};
