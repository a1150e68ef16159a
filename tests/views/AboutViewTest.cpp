#include "views/AboutView.h"

#include <QPainter>
#include <QtTest>

namespace {

// Rows and columns where the view differs clearly from its bare picture.
struct Ink {
    QVector<int> pixelsPerRow;
    int left = -1;
    int right = -1;
};

// The picture alone, drawn as the view draws it.
QImage bareView(const QSize& size)
{
    QPixmap pixmap(":/images/about.png");
    pixmap.setDevicePixelRatio(2.0);
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawPixmap(0, 0, pixmap);
    return image;
}

// Ink between the rows top and bottom (inclusive).
Ink findInk(const QImage& shown, const QImage& bare, int top = 0, int bottom = -1)
{
    Ink ink;
    ink.pixelsPerRow.resize(shown.height());
    if (bottom < 0) {
        bottom = shown.height() - 1;
    }
    for (int y = 0; y < shown.height(); ++y) {
        for (int x = 0; x < shown.width(); ++x) {
            const QColor a = shown.pixelColor(x, y);
            const QColor b = bare.pixelColor(x, y);
            const int difference = qAbs(a.red() - b.red()) + qAbs(a.green() - b.green()) + qAbs(a.blue() - b.blue());
            if (difference > 96) {
                ++ink.pixelsPerRow[y];
                if (y >= top && y <= bottom) {
                    ink.left = ink.left < 0 ? x : qMin(ink.left, x);
                    ink.right = qMax(ink.right, x);
                }
            }
        }
    }
    return ink;
}

} // namespace

class AboutViewTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void writesItsThreeLinesOverThePictureAndDeletesItselfWhenClosed();
};

void AboutViewTest::initTestCase()
{
    Q_INIT_RESOURCE(tarvo);
    QVERIFY(!QPixmap(":/images/about.png").isNull());
}

void AboutViewTest::writesItsThreeLinesOverThePictureAndDeletesItselfWhenClosed()
{
    auto* pView = new AboutView(nullptr);
    QPointer<AboutView> guard(pView);
    AboutView& view = *pView;
    const QImage shown = view.grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QImage bare = bareView(view.size());

    // The three lines are centred 20 pixels apart at h - 75, h - 55 and h - 35.
    const int h = view.height();
    const int centres[] = {h - 75, h - 55, h - 35};
    // The bottom line stands clear of the picture's dark shapes, which hide
    // the ink of the others in part.
    const Ink ink = findInk(shown, bare, centres[2] - 2, centres[2] + 2);
    for (int centre : centres) {
        int pixels = 0;
        for (int y = centre - 2; y <= centre + 2; ++y) {
            pixels += ink.pixelsPerRow[y];
        }
        QVERIFY2(pixels > 20, qPrintable(QString("line at %1: %2 pixels").arg(centre).arg(pixels)));
    }
    // Nothing is written on the upper part of the picture.
    for (int y = 0; y < centres[0] - 15; ++y) {
        QVERIFY2(ink.pixelsPerRow[y] == 0, qPrintable(QString("row %1").arg(y)));
    }
    // The lines are centred 5 pixels right of the middle.
    QVERIFY2(qAbs((ink.left + ink.right) / 2 - (view.width() / 2 + 5)) <= 3,
             qPrintable(QString("notice from x %1 to %2").arg(ink.left).arg(ink.right)));
    QVERIFY(ink.right - ink.left > 60);

    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(pView));
    view.close();
    QTRY_VERIFY(guard.isNull());
}

QTEST_MAIN(AboutViewTest)
#include "AboutViewTest.moc"
