#pragma once

#include <QObject>

// The application-wide mouse-press hook: any click while the About window is
// open closes it, and that click reaches no widget.
class NativeEventFilter : public QObject
{
public:
    explicit NativeEventFilter(QObject* parent = nullptr);

    bool eventFilter(QObject* watched, QEvent* event) override;
};
