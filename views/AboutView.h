#pragma once

#include <QDialog>
#include <QPixmap>
#include <QString>

// The Help menu's About window: a picture with what the application is, its
// name and version and the copyright notice written over it.
class AboutView : public QDialog
{
    Q_OBJECT

public:
    explicit AboutView(QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    // Escape closes the tool window that holds the view, not only the view.
    void keyPressEvent(QKeyEvent* event) override;

    QPixmap m_pixmap;
    QString m_aboutInfo;
    QString m_versionText;
    QString m_noticeText;
};
