#pragma once

#include "model/ModelConnection.h"

#include <QPixmap>
#include <QPushButton>

// A push button bound to a 0/1 parameter, optionally drawn from a pixmap.
class PushButton : public QPushButton, public ModelConnection
{
    Q_OBJECT

public:
    explicit PushButton(QWidget* parent = nullptr);

    void updateParameter(unsigned int id) override;

    // Two equal halves: left for off, right for on. Null: the ordinary button.
    void setPixmap(const QPixmap& pixmap);

protected:
    void paintEvent(QPaintEvent* event) override;

protected slots:
    void updateButton(bool checked);

private:
    QPixmap m_pixmap;
};
