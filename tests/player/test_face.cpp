// The player window's face: the gauge's look and value rules, painting order, and the hit test.
#include "../common/testmain.h"
#include "platform/graphics.h"
#include "player/SDIMAIN.h"

#include <QAccessible>
#include <QMap>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {
const QRgb kWhite = qRgb(255, 255, 255), kSilver = qRgb(192, 192, 192), kBlack = qRgb(0, 0, 0),
           kDarkGrey = qRgb(63, 63, 63), kCream = qRgb(255, 251, 240);
constexpr int W = 457, H = 29;

// A gauge set up as the player window's.
std::unique_ptr<TGauge> makeGauge()
{
    auto g = std::make_unique<TGauge>();
    g->SetBounds(0, 0, W, H);
    g->setForeColor(QColor(kSilver));
    g->setBackColor(Qt::white);
    g->Font()->setName(u"System"_s);
    g->Font()->setHeight(-13);
    return g;
}
} // namespace

class TestFace : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { TPicture::RegisterPngAndJpeg(); }

    void gaugePixels_data()
    {
        QTest::addColumn<int>("maxValue");
        QTest::addColumn<int>("progress");
        QTest::addColumn<int>("percent");
        QTest::newRow("0 of 100") << 100 << 0 << 0;
        QTest::newRow("1 of 3") << 3 << 1 << 33;
        QTest::newRow("2 of 3") << 3 << 2 << 66;
        QTest::newRow("half") << 1000 << 500 << 50;
        QTest::newRow("all") << 250 << 250 << 100;
        QTest::newRow("maximum 0") << 0 << 0 << 0;
        QTest::newRow("above the maximum") << 40 << 41 << 100;
        QTest::newRow("long medium, no overflow") << 2000000000 << 1999999999 << 99;
    }
    void gaugePixels()
    {
        QFETCH(int, maxValue);
        QFETCH(int, progress);
        QFETCH(int, percent);
        auto g = makeGauge();
        g->setMaxValue(maxValue);
        g->setProgress(progress);
        QCOMPARE(g->PercentDone(), percent);
        const QImage img = g->render();
        QCOMPARE(img.size(), QSize(W, H));
        // The one-pixel black frame.
        for (int x = 0; x < W; ++x) {
            QCOMPARE(img.pixel(x, 0), kBlack);
            QCOMPARE(img.pixel(x, H - 1), kBlack);
        }
        for (int y = 0; y < H; ++y) {
            QCOMPARE(img.pixel(0, y), kBlack);
            QCOMPARE(img.pixel(W - 1, y), kBlack);
        }
        // The bar reaches to (W - 1) * N / 100, that column not filled; row 2
        // lies above the text.
        const int end = (W - 1) * percent / 100;
        for (int x = 1; x < W - 1; ++x)
            QCOMPARE(img.pixel(x, 2), x < end ? kSilver : kWhite);
        // The text: centred, drawn by inverting what lies beneath it.
        const QString text = u"%1%"_s.arg(percent);
        QFont font = g->Font()->qfont();
        const QFontMetrics fm(font);
        const int left = (W - 1 - fm.horizontalAdvance(text)) / 2;
        const int top = (H - 1 - fm.height()) / 2;
        int inverted = 0;
        QRect ink;
        for (int y = 1; y < H - 1; ++y) {
            for (int x = 1; x < W - 1; ++x) {
                const QRgb px = img.pixel(x, y);
                const bool overBar = x < end;
                if (px == (overBar ? kSilver : kWhite))
                    continue;
                QCOMPARE(px, overBar ? kDarkGrey : kBlack);
                ++inverted;
                ink |= QRect(x, y, 1, 1);
            }
        }
        QVERIFY(inverted > 20);
        QVERIFY2(ink.left() >= left && ink.right() < left + fm.horizontalAdvance(text) + 1,
                 qPrintable(u"ink %1..%2, text box from %3"_s.arg(ink.left()).arg(ink.right()).arg(left)));
        QVERIFY(ink.top() >= top && ink.bottom() < top + fm.height());
    }

    void maxValueRules()
    {
        auto g = makeGauge();
        g->setProgress(80);
        int repaints = g->repaintRequests();
        g->setMaxValue(100); // the same value: nothing
        QCOMPARE(g->repaintRequests(), repaints);
        try {
            g->setMaxValue(-5);
            QFAIL("a maximum below the minimum was taken");
        } catch (const EInvalidOperation &e) {
            QCOMPARE(e.message(), u"Value must be between 1 and 2147483647"_s);
        }
        QCOMPARE(g->MaxValue(), 100);
        QCOMPARE(g->Progress(), 80);
        // A maximum below the progress lowers the progress, and repaints.
        g->setMaxValue(50);
        QCOMPARE(g->Progress(), 50);
        QCOMPARE(g->PercentDone(), 100);
        QVERIFY(g->repaintRequests() > repaints);
        // A maximum equal to the minimum is allowed: 0%, no bar.
        g->setMaxValue(0);
        QCOMPARE(g->Progress(), 0);
        QCOMPARE(g->PercentDone(), 0);
        QCOMPARE(g->render().pixel(1, 2), kWhite);
    }

    void progressRepaintsOnlyOnWholePercent()
    {
        auto g = makeGauge();
        g->setMaxValue(1000);
        const int start = g->repaintRequests();
        g->setProgress(5); // still 0%
        g->setProgress(9);
        QCOMPARE(g->repaintRequests(), start);
        g->setProgress(10); // 1%
        QCOMPARE(g->repaintRequests(), start + 1);
        g->setProgress(10); // equal: nothing
        g->setProgress(-7); // clamped to 0: 0%
        QCOMPARE(g->Progress(), 0);
        QCOMPARE(g->repaintRequests(), start + 2);
        g->setProgress(5000); // clamped to the maximum
        QCOMPARE(g->Progress(), 1000);
        QCOMPARE(g->repaintRequests(), start + 3);
    }

    void windowPainting()
    {
        TForm1 form;
        form.loadDescription();
        QImage img = form.widget()->grab().toImage().convertToFormat(QImage::Format_RGB32);
        QCOMPARE(img.size(), QSize(640, 70));
        // Under the 22-row title picture its 25-row box shows the cream window.
        for (int y = 22; y <= 24; ++y)
            for (int x = 9; x < 639; x += 37)
                QCOMPARE(img.pixel(x, y), kCream);
        // Column 639: the title, then the upper right edge, then the right edge.
        const QImage title = form.Image25->Picture(), edge = form.Image27->Picture();
        for (int y = 0; y < 70; ++y) {
            const QRgb expected = y < 10 ? title.pixel(639, y) : y < 18 ? edge.pixel(0, y - 10) : edge.pixel(0, y - 18);
            QCOMPARE(img.pixel(639, y), expected);
        }
        // The left edge paints only its column 0; the button beneath shows at x 7..8.
        QCOMPARE(img.pixel(7, 40), form.Image1->Picture().pixel(0, 8));
        // The gauge with its frame and "0%".
        QCOMPARE(img.pixel(175, 31), kBlack);
        QCOMPARE(img.pixel(631, 59), kBlack);
        QCOMPARE(img.pixel(176, 33), kWhite);
        // A 35-wide picture in a 33-wide box loses its two rightmost columns.
        form.Image1->setPicture(form.c->Picture());
        QCOMPARE(form.c->Picture().width(), 35);
        img = form.widget()->grab().toImage().convertToFormat(QImage::Format_RGB32);
        for (int y = 33; y < 59; ++y)
            QCOMPARE(img.pixel(39, y), form.c->Picture().pixel(32, y - 32));
        // Hiding the play button uncovers x 72: the pause button's box reaches
        // there but its 32-wide picture does not, so the cream window shows.
        QCOMPARE(img.pixel(72, 45), form.Image6->Picture().pixel(0, 13));
        form.Image6->Hide();
        img = form.widget()->grab().toImage().convertToFormat(QImage::Format_RGB32);
        QCOMPARE(img.pixel(72, 45), kCream);
        QCOMPARE(img.pixel(71, 45), form.Image2->Picture().pixel(31, 45 - 31));
    }

    // On a screen at twice the density every picture box draws its picture's
    // twice-size form, pixel for pixel, also after a handler copied a picture
    // from one box to another; the gauge's frame stays one window pixel.
    void windowPaintingAtDoubleDensity()
    {
        TForm1 form;
        form.loadDescription();
        auto paint = [&] {
            QImage img(1280, 140, QImage::Format_RGB32);
            img.setDevicePixelRatio(2);
            img.fill(Qt::magenta);
            form.widget()->render(&img);
            return img;
        };
        auto doubled = [](const QString &name) {
            QImage img(QStringLiteral(KAVRO_SOURCE_DIR "/resources/") + name);
            return img.convertToFormat(QImage::Format_RGB32);
        };
        auto sameBlock = [](const QImage &img, QPoint at, const QImage &pic, QRect part) {
            for (int y = part.top(); y <= part.bottom(); ++y)
                for (int x = part.left(); x <= part.right(); ++x)
                    if (img.pixel(at.x() + x, at.y() + y) != pic.pixel(x, y))
                        return false;
            return true;
        };

        QImage img = paint();
        // The lettering of the title, columns 491..634 rows 6..16 in the window.
        const QImage title2 = doubled(u"title@2x.png"_s);
        QCOMPARE(title2.size(), QSize(1280, 44));
        QVERIFY(sameBlock(img, QPoint(0, 0), title2, QRect(980, 10, 290, 24)));
        // The play button at (72, 32): its 64x52 picture.
        const QImage play2 = doubled(u"play_normal@2x.bmp"_s);
        QVERIFY(sameBlock(img, QPoint(144, 64), play2, QRect(0, 0, 64, 52)));
        // The pointer over the previous button: the hover picture is copied in.
        form.Image1->setPicture(form.c->Picture());
        img = paint();
        const QImage hover2 = doubled(u"prev_hover@2x.bmp"_s);
        QVERIFY(sameBlock(img, QPoint(14, 64), hover2, QRect(0, 0, 66, 56)));
        // Gauge frame: two device pixels of black, then white.
        QCOMPARE(img.pixel(350, 70), kBlack);
        QCOMPARE(img.pixel(351, 70), kBlack);
        QCOMPARE(img.pixel(352, 70), kWhite);
        QCOMPARE(img.pixel(1262, 118), kBlack);
        QCOMPARE(img.pixel(1261, 116), kWhite);
        // A picture made in the program has no twice-size form: it is enlarged.
        QImage plain(33, 28, QImage::Format_RGB32);
        plain.fill(qRgb(10, 200, 30));
        form.Image1->setPicture(plain);
        img = paint();
        QCOMPARE(img.pixel(14, 64), qRgb(10, 200, 30));
        QCOMPARE(img.pixel(79, 119), qRgb(10, 200, 30));
    }

    // What a screen reader finds in the player window: the five skin buttons
    // named by the command they issue, the gauge with its percentage as its
    // value, and the drag regions; the hidden picture holders and undragged
    // edges are not listed, and hidden buttons drop out of the list.
    void accessibleChildren()
    {
        TForm1 form;
        form.loadDescription();
        form.widget()->show();
        QAccessibleInterface *window = QAccessible::queryAccessibleInterface(form.widget());
        QVERIFY(window);
        QCOMPARE(window->role(), QAccessible::Window);
        auto listed = [&] {
            QMap<QString, QAccessibleInterface *> byObject;
            for (int i = 0; i < window->childCount(); ++i)
                if (QAccessibleInterface *child = window->child(i); child && child->object())
                    byObject.insert(child->object()->objectName(), child);
            return byObject;
        };
        struct Expected { const char *object; QAccessible::Role role; QString name; };
        const Expected table[] = {
            {"Image1", QAccessible::Button, u"Стоп"_s},
            {"Image2", QAccessible::Button, u"Пауза"_s},
            {"Image6", QAccessible::Button, u"Воспроизвести"_s},
            {"Image5", QAccessible::Button, u"Стоп"_s},
            {"Image4", QAccessible::Button, u"Стоп"_s},
            {"Gauge1", QAccessible::ProgressBar, u"Ход воспроизведения"_s},
            {"Image25", QAccessible::TitleBar, u"Kavro Media Player"_s},
            {"Image26", QAccessible::Grip, u"Левый край окна"_s},
            {"Image29", QAccessible::Grip, u"Правый нижний угол окна"_s},
            {"Image30", QAccessible::Grip, u"Правый край окна"_s},
        };
        auto children = listed();
        QCOMPARE(children.size(), int(std::size(table)) + 1);
        // The classic button bar's widget, hidden in this view.
        QVERIFY(children.value(u"MediaPlayer1"_s));
        QVERIFY(children.value(u"MediaPlayer1"_s)->state().invisible);
        for (const Expected &e : table) {
            QAccessibleInterface *child = children.value(QString::fromLatin1(e.object));
            QVERIFY2(child, e.object);
            QCOMPARE(child->role(), e.role);
            QCOMPARE(child->text(QAccessible::Name), e.name);
            QCOMPARE(child->parent(), window);
            QCOMPARE(window->indexOfChild(child) >= 0, true);
            QCOMPARE(window->child(window->indexOfChild(child)), child);
            const bool button = e.role == QAccessible::Button;
            QCOMPARE(child->actionInterface() != nullptr, button);
            if (button)
                QVERIFY(!child->text(QAccessible::Description).isEmpty());
        }
        // Boxes on the screen, cut to the window: the play button, the right edge.
        const QPoint origin = form.widget()->mapToGlobal(QPoint(0, 0));
        QCOMPARE(children[u"Image6"_s]->rect(), QRect(origin + QPoint(72, 32), QSize(33, 29)));
        QCOMPARE(children[u"Image30"_s]->rect(), QRect(origin + QPoint(639, 18), QSize(1, 52)));
        // A point finds what the mouse would reach: x 72 is the play button's.
        QCOMPARE(window->childAt(origin.x() + 72, origin.y() + 45), children[u"Image6"_s]);
        QCOMPARE(window->childAt(origin.x() + 8, origin.y() + 45), children[u"Image26"_s]);
        // The gauge's value follows its percentage.
        QAccessibleInterface *gauge = children[u"Gauge1"_s];
        QVERIFY(gauge->valueInterface());
        QCOMPARE(gauge->valueInterface()->currentValue().toInt(), 0);
        QCOMPARE(gauge->valueInterface()->maximumValue().toInt(), 100);
        form.Gauge1->setMaxValue(3000);
        form.Gauge1->setProgress(1999);
        QCOMPARE(gauge->valueInterface()->currentValue().toInt(), 66);
        QCOMPARE(gauge->text(QAccessible::Value), u"66%"_s);
        // The classic view hides the skin buttons: they leave the list.
        for (TImage *b : {form.Image1, form.Image2, form.Image4, form.Image5, form.Image6})
            b->Hide();
        children = listed();
        QCOMPARE(children.size(), int(std::size(table)) + 1 - 5);
        QVERIFY(!children.contains(u"Image6"_s));
    }

    void hitTest_data()
    {
        QTest::addColumn<QPoint>("point");
        QTest::addColumn<QString>("control");
        QTest::newRow("pause and play: play") << QPoint(72, 40) << u"Image6"_s;
        QTest::newRow("play and stop: play") << QPoint(104, 45) << u"Image6"_s;
        QTest::newRow("stop and next: stop") << QPoint(135, 50) << u"Image5"_s;
        QTest::newRow("previous and left edge: edge") << QPoint(8, 40) << u"Image26"_s;
        QTest::newRow("previous button itself") << QPoint(9, 40) << u"Image1"_s;
        QTest::newRow("title and left edge: edge") << QPoint(3, 20) << u"Image26"_s;
        QTest::newRow("title above the left edge") << QPoint(3, 7) << u"Image25"_s;
        QTest::newRow("title and upper right edge") << QPoint(639, 12) << u"Image27"_s;
        QTest::newRow("title and right edge") << QPoint(639, 20) << u"Image30"_s;
        QTest::newRow("title at column 639 row 9") << QPoint(639, 9) << u"Image25"_s;
        QTest::newRow("both right edges") << QPoint(639, 50) << u"Image30"_s;
        QTest::newRow("left and bottom edge") << QPoint(5, 68) << u"Image28"_s;
        QTest::newRow("bottom edge and piece") << QPoint(600, 68) << u"Image29"_s;
        QTest::newRow("bottom edge left of the piece") << QPoint(558, 68) << u"Image28"_s;
        QTest::newRow("piece and right edge") << QPoint(639, 67) << u"Image30"_s;
        QTest::newRow("gauge") << QPoint(400, 45) << u"Gauge1"_s;
        QTest::newRow("cream field") << QPoint(170, 45) << QString();
        QTest::newRow("row 24 under the title") << QPoint(300, 24) << u"Image25"_s;
    }
    void hitTest()
    {
        QFETCH(QPoint, point);
        QFETCH(QString, control);
        TForm1 form;
        form.loadDescription();
        TControl *hit = form.ControlAtPos(point);
        QCOMPARE(hit ? hit->Name() : QString(), control);
    }

    void hiddenControlsTakeNothing()
    {
        TForm1 form;
        form.loadDescription();
        form.Image6->Hide();
        QCOMPARE(form.ControlAtPos(QPoint(72, 40))->Name(), u"Image2"_s);
        form.Image2->Hide();
        QCOMPARE(form.ControlAtPos(QPoint(72, 40)), nullptr);
    }

    void componentsInCreationOrder()
    {
        TForm1 form;
        form.loadDescription();
        QStringList names;
        for (TComponent *c : form.Components())
            if (!qobject_cast<TMenuItem *>(c))
                names << c->Name();
        QCOMPARE(names.join(u' '), u"Image1 Image2 c Image4 Image5 Image6 Image3 Image7 Image8 Image9 Image10 "
                                   "Image11 Image12 Image13 Image14 Image15 Image16 Image17 Image18 Image19 "
                                   "Gauge1 Image25 Image26 Image27 Image28 Image29 Image30 MediaPlayer1 "
                                   "OpenDialog1 Timer1 PopupMenu1 PopupMenu2"_s);
        QCOMPARE(form.Caption(), u"Kavro"_s);
        QCOMPARE(form.Color(), QColor(kCream));
        QVERIFY(!form.MediaPlayer1->Visible());
        QCOMPARE(form.MediaPlayer1->BoundsRect(), QRect(15, 31, 141, 27));
        QVERIFY(!form.Timer1->Enabled());
        QCOMPARE(form.Timer1->Interval(), 100);
        QCOMPARE(form.Gauge1->MaxValue(), 100);
        QCOMPARE(form.Image25->PopupMenu(), form.PopupMenu2);
        QCOMPARE(form.Image26->PopupMenu(), nullptr);
        QCOMPARE(form.PopupMenu(), form.PopupMenu1);
    }
};

KAVRO_TEST_MAIN(TestFace)
#include "test_face.moc"
