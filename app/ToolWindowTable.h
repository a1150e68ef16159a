#pragma once

#include <QList>
#include <QVariant>

class QMdiSubWindow;
class QObject;
class QWidget;
struct MenuItem;
struct ViewContext;

// One kind of tool window: the window id it is stored under, the menu entry
// that opens it (whose label is its title), how many may be open, whether
// it keeps a fixed size, and how its view is made and its window first sized.
struct ToolWindowKind
{
    enum Instances { Single, Many };

    int windowId;
    const MenuItem* menuItem;
    Instances instances;
    // The kind whose open windows limit how many may open: its own, or for
    // the monitors the message editors', whose window they share.
    int limitedBy;
    // Fixed-size windows have no maximize button or menu entry.
    bool fixedSize;
    // Names the sub-window for the main window's event filter; may be null.
    const char* objectName;
    // values as stored with the window (a control change window's controller).
    QWidget* (*create)(const ViewContext& context, const QList<QVariant>& values);
    // Sizes the new window around its view.
    void (*place)(QMdiSubWindow* subWindow, QWidget* view);
};

// Every tool window the Views and File menus open.
extern const ToolWindowKind ToolWindowTable[];
extern const int ToolWindowCount;

// The kind stored under windowId, or opened by menuItem; null for none.
const ToolWindowKind* findToolWindowKind(int windowId);
const ToolWindowKind* findToolWindowKindOfMenuItem(const MenuItem* menuItem);
// Whether a sub-window of that object's name can be resized freely or, the
// keyboard, in its width.
bool isResizableToolWindow(const QObject* subWindow);
bool isKeyboardToolWindow(const QObject* subWindow);
// Whether a kind's views send or watch through the MIDI engine; the
// settings windows take the model alone.
bool usesEngine(const ToolWindowKind& kind);
