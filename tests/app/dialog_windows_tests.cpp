// The font setup window and the About box.
#include <QLabel>
#include <QPushButton>
#include <QtTest>

#include "app/about_box.h"
#include "app/fonts_window.h"
#include "app/pictures.h"

class DialogWindowsTest : public QObject {
    Q_OBJECT
private slots:
    void fontsWindow()
    {
        vr::TFSFonts window;
        auto* picture = window.findChild<QLabel*>("Image1");
        QVERIFY(picture);
        QCOMPARE(picture->pixmap().size(), QSize(367, 177));
        // The whole picture fits in the window, the button under it.
        auto* ok = window.findChild<QPushButton*>("OKButton");
        QVERIFY(window.rect().contains(picture->geometry()));
        QVERIFY(ok->geometry().top() >= picture->geometry().bottom());
        QVERIFY(window.rect().contains(ok->geometry()));

        window.show();
        QTest::mouseClick(ok, Qt::LeftButton);
        QVERIFY(!window.isVisible());
        QCOMPARE(window.result(), int(QDialog::Accepted));
    }

    void aboutBox()
    {
        vr::TAboutBox box;
        auto* picture = box.findChild<QLabel*>("Image1");
        QCOMPARE(picture->pixmap().size(), QSize(207, 247));
        QCOMPARE(picture->size(), QSize(207, 247));
        QVERIFY(picture->geometry().left() > 253);  // on the right half
        QVERIFY(box.rect().contains(picture->geometry()));

        auto* product = box.findChild<QLabel*>("ProductName");
        QCOMPARE(product->font().family(), QString("ZR Keyb"));
        QCOMPARE(product->font().pixelSize(), 27);
        QVERIFY(product->font().bold());
        // Font codes are shown as stored: one character per byte, none above 0xFF.
        QVERIFY(!product->text().isEmpty());
        for (QChar c : product->text())
            QVERIFY(c.unicode() <= 0xFF);
        QVERIFY(!box.findChild<QLabel*>("ProgramIcon")->pixmap().isNull());

        auto* ok = box.findChild<QPushButton*>("OKButton");
        QCOMPARE(ok->geometry().left(), 0);
        QCOMPARE(ok->width(), 506);
        QCOMPARE(ok->geometry().bottom(), 287);
        QCOMPARE(ok->font().family(), QString("ZR Keyb"));
        box.show();
        QTest::mouseClick(ok, Qt::LeftButton);
        QVERIFY(!box.isVisible());
    }

    void keyboardFontTextKeepsEveryByte()
    {
        const unsigned char codes[] = {0x41, 0x00, 0xC8, 0xFF};
        const QString text = vr::keyboardFontText(codes, 4);
        QCOMPARE(text.size(), 4);
        QCOMPARE(text.at(1).unicode(), ushort(0));
        QCOMPARE(text.at(2).unicode(), ushort(0xC8));
        QCOMPARE(text.at(3).unicode(), ushort(0xFF));
    }

    void buttonGlyphsPointTheirWay()
    {
        // Ink per column of a 13-pixel glyph: a triangle is tall at its base and thin at its tip;
        // first and last have a tall bar on the side they point to.
        constexpr int size = 13;
        auto columns = [](vr::Glyph g) {
            const QImage img = vr::buttonGlyph(g, size).toImage();
            std::vector<int> ink;
            for (int x = 0; x < size; ++x) {
                int n = 0;
                for (int y = 0; y < size; ++y)
                    n += qAlpha(img.pixel(x, y)) > 128 ? 1 : 0;
                if (n > 0)
                    ink.push_back(n);
            }
            return ink;
        };
        const std::vector<int> next = columns(vr::Glyph::Next);
        QVERIFY(next.size() >= 5);
        QVERIFY(next.front() > next.back());
        const std::vector<int> previous = columns(vr::Glyph::Previous);
        QVERIFY(previous.front() < previous.back());
        const std::vector<int> last = columns(vr::Glyph::Last);
        QVERIFY(last.back() >= 9);
        QVERIFY(last.back() > last[last.size() - 3]);
        const std::vector<int> first = columns(vr::Glyph::First);
        QVERIFY(first.front() >= 9);
        QVERIFY(first.front() > first[2]);
        QCOMPARE(vr::fontSetupPicture().size(), QSize(367, 177));
        QCOMPARE(vr::aboutPicture().size(), QSize(207, 247));
    }
};

int runDialogWindowTests(int argc, char** argv)
{
    DialogWindowsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "dialog_windows_tests.moc"
