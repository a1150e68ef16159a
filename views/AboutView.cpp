#include "views/AboutView.h"

#include "services/ProductInfo.h"
#include "views/ViewStyle.h"

#include <QColor>
#include <QFont>
#include <QKeyEvent>
#include <QMdiSubWindow>
#include <QPainter>

namespace {

const char* const AboutInfo = "MIDI tool for instrument developers.";
const char* const Version = "Ver.";
const char* const CopyrightNotice = "Copyright (C) 2026 HALVEK GROUP. All rights reserved.";
const char* const AboutPixmapPath = ":/images/about.png";

// Where the family is not installed the style hint picks the fallback.
const char* const AboutViewFontFamily = "ヒラギノ角ゴ Pro W3";
const QColor AboutTextColor(0, 0, 74);

const QSize AboutViewSize(501, 170);
// Each line is centred in a band this high, whose left edge is TextLeft and
// whose top is the dialog's height less the line's offset.
const int TextLeft = 5;
const int TextBandHeight = 50;
const int AboutInfoOffset = 100;
const int VersionOffset = 80;
const int NoticeOffset = 60;

} // namespace

AboutView::AboutView(QWidget* parent)
    : QDialog(parent),
      m_aboutInfo(QString::fromLatin1(AboutInfo)),
      m_versionText(QString::fromLatin1(ProductName) + QLatin1Char(' ') + QLatin1String(Version)
                    + QLatin1String(ProductVersion)),
      m_noticeText(QString::fromLatin1(CopyrightNotice))
{
    QFont font(QString::fromUtf8(AboutViewFontFamily));
    font.setStyleHint(QFont::SansSerif);
    setFont(font);

    m_pixmap.load(QString::fromLatin1(AboutPixmapPath));
    m_pixmap.setDevicePixelRatio(DevicePixelRatio);

    resize(AboutViewSize);
    setAttribute(Qt::WA_DeleteOnClose);
    // Without focus the Escape key would go past the view to the main window.
    setFocusPolicy(Qt::StrongFocus);
}

void AboutView::keyPressEvent(QKeyEvent* event)
{
    auto* subWindow = qobject_cast<QMdiSubWindow*>(parentWidget());
    if (subWindow && event->matches(QKeySequence::Cancel)) {
        subWindow->close();
        return;
    }
    QDialog::keyPressEvent(event);
}

void AboutView::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    setFocus(Qt::ActiveWindowFocusReason);
}

void AboutView::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    painter.setRenderHints(painter.renderHints() | QPainter::SmoothPixmapTransform);
    painter.drawPixmap(0, 0, m_pixmap);

    painter.setPen(AboutTextColor);
    const int w = width();
    const int h = height();
    painter.drawText(QRect(TextLeft, h - AboutInfoOffset, w, TextBandHeight), Qt::AlignCenter, m_aboutInfo);
    painter.drawText(QRect(TextLeft, h - VersionOffset, w, TextBandHeight), Qt::AlignCenter, m_versionText);
    painter.drawText(QRect(TextLeft, h - NoticeOffset, w, TextBandHeight), Qt::AlignCenter, m_noticeText);
}
