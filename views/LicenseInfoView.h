#pragma once

#include <QTextEdit>

// The Help menu's "Open Source License" window: the licence texts that ship
// beside the application, read-only. Escape closes the window.
class LicenseInfoView : public QTextEdit
{
    Q_OBJECT

public:
    explicit LicenseInfoView(QWidget* parent);

    // The licence file beside the executable in applicationDirectory, else the
    // installed one in its ../share/tarvo; empty when there is neither.
    static QString findLicenseFile(const QString& applicationDirectory);
    // The file's text, up to a zero byte, with the Qt version filled in; empty
    // when the file cannot be read.
    static QString readLicenseText(const QString& path);

protected:
    void keyPressEvent(QKeyEvent* event) override;
};
