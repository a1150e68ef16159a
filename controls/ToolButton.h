#pragma once

#include <QPixmap>
#include <QToolButton>

// A tool button with a two-state pixmap drawn over its ordinary painting.
class ToolButton : public QToolButton
{
    Q_OBJECT

public:
    explicit ToolButton(QWidget* parent = nullptr);

    // Left half drawn while enabled, right half while disabled.
    void setPixmap(const QPixmap& pixmap);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap m_pixmap;
};
