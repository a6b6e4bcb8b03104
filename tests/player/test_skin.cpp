// Skin buttons and drag regions: the pictures each mouse event sequence leaves, the
// commands clicks issue, and moving the window from its drag regions.
#include "../common/modal.h"
#include "../common/testmain.h"
#include "platform/graphics.h"
#include "player/SDIMAIN.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TestSkin : public QObject
{
    Q_OBJECT

    std::unique_ptr<TForm1> m_form;
    TForm1 &form() { return *m_form; }
    QWidget *host() { return m_form->widget(); }

    // Which look a button shows: "normal", "hover" or "pressed".
    QString look(TImage *button)
    {
        struct Looks { TImage *button, *hover, *pressed, *leave; };
        const Looks all[] = {{form().Image1, form().c, form().Image3, form().Image15},
                             {form().Image2, form().Image7, form().Image12, form().Image16},
                             {form().Image6, form().Image8, form().Image13, form().Image19},
                             {form().Image5, form().Image9, form().Image11, form().Image18},
                             {form().Image4, form().Image10, form().Image14, form().Image17}};
        for (const Looks &l : all) {
            if (l.button != button)
                continue;
            const QImage p = button->Picture();
            if (p == l.pressed->Picture())
                return u"pressed"_s;
            if (p == l.hover->Picture())
                return u"hover"_s;
            if (p == l.leave->Picture())
                return u"normal"_s;
        }
        return u"?"_s;
    }

    static QPoint centre(TControl *c) { return c->BoundsRect().center(); }

    // Delivers one mouse event to the window as the X server's would arrive,
    // synchronously, so each step's look can be read right after it.
    Qt::MouseButtons m_held;
    void send(QEvent::Type type, Qt::MouseButton button, QPoint pos)
    {
        if (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick)
            m_held |= button;
        else if (type == QEvent::MouseButtonRelease)
            m_held &= ~button;
        QMouseEvent e(type, pos, host()->mapToGlobal(pos), button, m_held, Qt::NoModifier);
        QApplication::sendEvent(host(), &e);
    }
    void move(QPoint pos) { send(QEvent::MouseMove, Qt::NoButton, pos); }
    void press(QPoint pos, Qt::MouseButton b = Qt::LeftButton) { send(QEvent::MouseButtonPress, b, pos); }
    void release(QPoint pos, Qt::MouseButton b = Qt::LeftButton) { send(QEvent::MouseButtonRelease, b, pos); }
    void click(QPoint pos, Qt::MouseButton b = Qt::LeftButton)
    {
        press(pos, b);
        release(pos, b);
    }

private Q_SLOTS:
    void initTestCase() { TPicture::RegisterPngAndJpeg(); }
    void init()
    {
        m_form = std::make_unique<TForm1>();
        m_form->loadDescription();
        m_form->setCaption(u"not yet activated"_s);
        m_form->setVisible(true);
        QVERIFY(QTest::qWaitForWindowActive(m_form->window()));
        QTRY_COMPARE(m_form->Caption(), u"Kavro"_s);
        m_held = {};
        move(QPoint(170, 45)); // on the cream field
    }
    void cleanup() { m_form.reset(); }

    // Each row: a sequence of steps on the play button, and the look after each.
    // Steps: e(nter), l(eave to the cream field), p/r/m (press left/right/middle
    // on the button), u (left release on the button), o (left release outside),
    // d (drag off while held), b (back over the button while held).
    void looks_data()
    {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QStringList>("looks");
        QTest::newRow("enter") << u"e"_s << QStringList{u"hover"_s};
        QTest::newRow("enter, leave") << u"el"_s << QStringList{u"hover"_s, u"normal"_s};
        QTest::newRow("left press and release") << u"epu"_s << QStringList{u"hover"_s, u"pressed"_s, u"hover"_s};
        QTest::newRow("drag off and back keeps pressed") << u"epdbu"_s
            << QStringList{u"hover"_s, u"pressed"_s, u"pressed"_s, u"pressed"_s, u"hover"_s};
        QTest::newRow("release outside, then a move") << u"epdol"_s
            << QStringList{u"hover"_s, u"pressed"_s, u"pressed"_s, u"hover"_s, u"normal"_s};
        QTest::newRow("middle press") << u"em"_s << QStringList{u"hover"_s, u"pressed"_s};
    }
    void looks()
    {
        QFETCH(QString, steps);
        QFETCH(QStringList, looks);
        TImage *b = form().Image6;
        const QPoint on = centre(b), off(170, 45);
        for (qsizetype i = 0; i < steps.size(); ++i) {
            switch (steps[i].unicode()) {
            case 'e': move(on); break;
            case 'l': move(off); break;
            case 'p': press(on); break;
            case 'm': press(on, Qt::MiddleButton); break;
            case 'u': release(on); break;
            case 'o': release(off); break;
            case 'd': move(off); break;
            case 'b': move(on); break;
            }
            QCOMPARE(look(b) + u" after "_s + steps.left(i + 1), looks[i] + u" after "_s + steps.left(i + 1));
        }
    }

    void clickIssuesItsCommandOnlyThroughTheGate()
    {
        // Bare title: the pictures change as usual, nothing else happens.
        auto none = answerNextBox();
        click(centre(form().Image6));
        none->stop();
        QVERIFY(!none->seen);
        QCOMPARE(look(form().Image6), u"hover"_s);
        // With a file chosen but no device, each click reaches the device.
        form().setCaption(u"Kavro (open file)"_s);
        for (TImage *b : {form().Image1, form().Image2, form().Image6, form().Image5, form().Image4}) {
            move(centre(b));
            auto seen = answerNextBox();
            click(centre(b));
            QVERIFY2(seen->seen, qPrintable(b->Name()));
            QCOMPARE(seen->text, u"No MCI device open."_s);
            // The error left the click before MouseUp: the button stays pressed...
            QCOMPARE(look(b), u"pressed"_s);
            // ...until its next event.
            move(QPoint(170, 45));
            QCOMPARE(look(b), u"normal"_s);
        }
    }

    void releaseOutsideIssuesNothing()
    {
        form().setCaption(u"Kavro (open file)"_s);
        auto seen = answerNextBox();
        press(centre(form().Image6));
        move(QPoint(400, 45));
        release(QPoint(400, 45));
        seen->stop();
        QVERIFY(!seen->seen);
    }

    void doubleClickIssuesOneCommand()
    {
        form().setCaption(u"Kavro (open file)"_s);
        int boxes = 0;
        auto count = [&] {
            auto seen = answerNextBox();
            return seen;
        };
        auto first = count();
        // As X delivers a double click: press, release, double-click press, release.
        const QPoint at = centre(form().Image2);
        press(at);
        release(at);
        boxes += first->seen;
        // The command ended in the error box, before MouseUp.
        QCOMPARE(look(form().Image2), u"pressed"_s);
        auto again = count();
        send(QEvent::MouseButtonDblClick, Qt::LeftButton, at);
        QCOMPARE(look(form().Image2), u"pressed"_s);
        release(at);
        QCOMPARE(look(form().Image2), u"hover"_s);
        again->stop();
        boxes += again->seen;
        auto second = count();
        QTest::qWait(50);
        second->stop();
        boxes += second->seen;
        QCOMPARE(boxes, 1);
    }

    void rightClickOpensTheMenuAndIssuesNothing()
    {
        form().setCaption(u"Kavro (open file)"_s);
        auto box = answerNextBox();
        auto menu = answerNextMenu();
        move(centre(form().Image5));
        press(centre(form().Image5), Qt::RightButton);
        QCOMPARE(look(form().Image5), u"pressed"_s);
        release(centre(form().Image5), Qt::RightButton);
        QTRY_VERIFY(menu->seen);
        QCOMPARE(menu->name, u"PopupMenu1"_s);
        QCOMPARE(look(form().Image5), u"hover"_s);
        box->stop();
        QVERIFY(!box->seen);
    }

    void neighbourToNeighbour()
    {
        move(QPoint(60, 45)); // pause
        QCOMPARE(look(form().Image2), u"hover"_s);
        move(QPoint(80, 45)); // play
        QCOMPARE(look(form().Image2), u"normal"_s);
        QCOMPARE(look(form().Image6), u"hover"_s);
    }

    void pressOnTheFieldReleaseOverAButton()
    {
        form().setCaption(u"Kavro (open file)"_s);
        auto box = answerNextBox();
        press(QPoint(170, 45));
        move(centre(form().Image4));
        release(centre(form().Image4));
        box->stop();
        QVERIFY(!box->seen);
        QCOMPARE(look(form().Image4), u"normal"_s);
        // The next movement brings the hover picture.
        move(centre(form().Image4) + QPoint(1, 0));
        QCOMPARE(look(form().Image4), u"hover"_s);
    }

    void picturesAreCopies()
    {
        move(centre(form().Image1));
        QImage held = form().c->Picture();
        form().Image1->setPicture(QImage()); // changing the button leaves the holder alone
        QCOMPARE(form().c->Picture(), held);
    }

    // Drag regions: a left press moves the window with the pointer until release.
    void dragRegions_data()
    {
        QTest::addColumn<QPoint>("press");
        QTest::addColumn<bool>("moves");
        QTest::newRow("title picture") << QPoint(300, 10) << true;
        QTest::newRow("left edge") << QPoint(3, 40) << true;
        QTest::newRow("previous button's two leftmost columns") << QPoint(8, 40) << true;
        QTest::newRow("right edge below row 17") << QPoint(639, 40) << true;
        QTest::newRow("lower right piece") << QPoint(600, 67) << true;
        QTest::newRow("bottom edge left of x 559") << QPoint(300, 68) << false;
        QTest::newRow("column 639 in rows 10 to 17") << QPoint(639, 12) << false;
        QTest::newRow("gauge") << QPoint(400, 45) << false;
        QTest::newRow("cream field") << QPoint(170, 45) << false;
        QTest::newRow("skin button") << QPoint(85, 45) << false;
    }
    void dragRegions()
    {
        QFETCH(QPoint, press);
        QFETCH(bool, moves);
        QWidget *win = form().window();
        const QPoint start = win->pos();
        bool loopRan = false;
        // The move runs inside the press handler: drive it from a timer.
        QTimer::singleShot(50, this, [&] {
            loopRan = true;
            QTest::mouseMove(host(), press + QPoint(40, 30));
            QTest::mouseRelease(host(), Qt::LeftButton, {}, press + QPoint(40, 30));
        });
        QTest::mousePress(host(), Qt::LeftButton, {}, press);
        if (!moves) {
            QTRY_VERIFY(loopRan);
            QCOMPARE(win->pos(), start);
            return;
        }
        QVERIFY(loopRan); // the press returned only after the move
        QTRY_COMPARE(win->pos(), start + QPoint(40, 30));
        // The previous button took no press.
        QVERIFY(look(form().Image1) != u"pressed"_s);
    }

    void rightPressOnTheTitleOpensItsMenu()
    {
        QWidget *win = form().window();
        const QPoint start = win->pos();
        auto menu = answerNextMenu();
        QTest::mouseClick(host(), Qt::RightButton, {}, QPoint(300, 10));
        QTRY_VERIFY(menu->seen);
        QCOMPARE(menu->name, u"PopupMenu2"_s);
        QCOMPARE(win->pos(), start);
    }
};

KAVRO_TEST_MAIN(TestSkin)
#include "test_skin.moc"
