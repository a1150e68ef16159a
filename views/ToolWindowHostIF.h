#pragma once

#include "views/MidiEditView.h"

#include <QSize>
#include <QString>

// What a tool view asks of the window that holds it.
class ToolWindowHostIF
{
public:
    virtual ~ToolWindowHostIF() = default;

    // Opens another message editor with text; false when no more may open.
    virtual bool openMessageEditor(MidiEditView::OpenMode mode, const QSize& size, const QString& text) = 0;
    // True while a project file is being read: restored values are not sent.
    virtual bool isOpeningProjectFile() const = 0;
    // Why a send can fail now, for a failure message.
    virtual QString outputPortProblem() = 0;
    virtual void showSaveFailedMessageBox(const QString& reason) = 0;
    virtual void showOpenFailedMessageBox(const QString& reason) = 0;
};
