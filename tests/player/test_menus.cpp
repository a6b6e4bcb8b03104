// The player's context menus: structure, shortcuts in both views, right-click routing, view switching.
#include "../common/modal.h"
#include "../common/testmain.h"
#include "platform/graphics.h"
#include "player/SDIMAIN.h"

#include <QFileDialog>
#include <QMenu>
#include <QTest>

using namespace Qt::StringLiterals;

class TestMenus : public QObject
{
    Q_OBJECT

    std::unique_ptr<TForm1> m_form;

    TForm1 &form() { return *m_form; }
    ControlHost *host() { return qobject_cast<ControlHost *>(m_form->widget()); }

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
    }
    void cleanup() { m_form.reset(); }

    void structure()
    {
        QMenu menu;
        form().PopupMenu1->Items()->fillMenu(&menu);
        QStringList top;
        for (QAction *a : menu.actions())
            top << (a->isSeparator() ? u"-"_s : a->text());
        QCOMPARE(top, (QStringList{u"Открыть файл...\tIns"_s, u"-"_s, u"Воспроизведение"_s, u"Вид"_s,
                                   u"Справка"_s, u"-"_s, u"Выйти\tShift+Del"_s}));
        auto sub = [&](QMenu *m, int i) { return m->actions().at(i)->menu(); };
        auto texts = [](QMenu *m) {
            QStringList t;
            for (QAction *a : m->actions())
                t << (a->isSeparator() ? u"-"_s : a->text());
            return t;
        };
        QCOMPARE(texts(sub(&menu, 2)), (QStringList{u"Воспроивести\tCtrl+P"_s, u"Пауза\tCtrl+H"_s, u"Стоп\tCtrl+S"_s}));
        QCOMPARE(texts(sub(&menu, 3)), QStringList{u"Кнопки"_s});
        // Only the Latin captions get an access key.
        QCOMPARE(texts(sub(sub(&menu, 3), 0)), (QStringList{u"Классический\tCtrl+I"_s, u"Интерфейс &Mirest\tCtrl+L"_s}));
        QCOMPARE(texts(sub(&menu, 4)), (QStringList{u"Сообщение об ошибке...\tCtrl+E"_s, u"Проверка обновлений...\tCtrl+U"_s,
                                                    u"Пожертвования...\tF10"_s, u"-"_s, u"О программе &Kavro...\tF1"_s}));
        QMenu menu2;
        form().PopupMenu2->Items()->fillMenu(&menu2);
        QCOMPARE(texts(&menu2), QStringList{u"Закрыть"_s});
        // Glyphs: white drawn transparent; the coin is the wider one.
        const QIcon open = menu.actions().at(0)->icon();
        QVERIFY(!open.isNull());
        const QImage glyph = open.pixmap(16, 16).toImage();
        QCOMPARE(qAlpha(glyph.pixel(0, 15)), 0);
        QCOMPARE(form().N2->Bitmap().size(), QSize(20, 16));
        QCOMPARE(form().N17->Bitmap().size(), QSize(16, 16));
        QVERIFY(form().N35->Bitmap().isNull());
    }

    void rightClickRouting_data()
    {
        QTest::addColumn<QPoint>("point");
        QTest::addColumn<QString>("menu");
        QTest::newRow("title picture") << QPoint(300, 10) << u"PopupMenu2"_s;
        QTest::newRow("left edge over the title") << QPoint(3, 15) << u"PopupMenu1"_s;
        QTest::newRow("right edge column over the title") << QPoint(639, 20) << u"PopupMenu1"_s;
        QTest::newRow("skin button") << QPoint(85, 45) << u"PopupMenu1"_s;
        QTest::newRow("gauge") << QPoint(400, 45) << u"PopupMenu1"_s;
        QTest::newRow("bottom edge") << QPoint(300, 68) << u"PopupMenu1"_s;
        QTest::newRow("bottom right piece") << QPoint(600, 67) << u"PopupMenu1"_s;
        QTest::newRow("cream field") << QPoint(170, 45) << u"PopupMenu1"_s;
    }
    void rightClickRouting()
    {
        QFETCH(QPoint, point);
        QFETCH(QString, menu);
        auto seen = answerNextMenu();
        QTest::mouseClick(host(), Qt::RightButton, {}, point);
        QTRY_VERIFY(seen->seen);
        QCOMPARE(seen->name, menu);
        // At the pointer, or moved left as far as needed to stay on the screen.
        const QPoint at = host()->mapToGlobal(point);
        QCOMPARE(seen->topLeft.y(), at.y());
        QVERIFY(seen->topLeft.x() <= at.x());
        if (point.x() < 400)
            QCOMPARE(seen->topLeft.x(), at.x());
    }

    void rightClickOnSkinButtonIssuesNoCommand()
    {
        auto menu = answerNextMenu();
        QStringList pictures;
        // The pictures the play button shows, in order.
        const QImage pressed = form().Image13->Picture(), hover = form().Image8->Picture();
        QTest::mousePress(host(), Qt::RightButton, {}, QPoint(85, 45));
        QCOMPARE(form().Image6->Picture(), pressed);
        QTest::mouseRelease(host(), Qt::RightButton, {}, QPoint(85, 45));
        QTRY_VERIFY(menu->seen);
        QCOMPARE(form().Image6->Picture(), hover);
        // No command: the device was never touched.
        QCOMPARE(form().Caption(), u"Kavro"_s);
        QVERIFY(!form().MediaPlayer1->device()->isOpen());
    }

    void classicBarPassesRightClickToWindow()
    {
        form().N35Click(nullptr);
        auto seen = answerNextMenu();
        QWidget *bar = form().MediaPlayer1->widget();
        QVERIFY(bar->isVisible());
        QTest::mouseClick(bar, Qt::RightButton, {}, QPoint(40, 10));
        QTRY_VERIFY(seen->seen);
        QCOMPARE(seen->name, u"PopupMenu1"_s);
    }

    void keyboardMenuKeyOpensAtTopLeft()
    {
        auto seen = answerNextMenu();
        QContextMenuEvent event(QContextMenuEvent::Keyboard, QPoint(0, 0), QPoint(0, 0));
        QApplication::sendEvent(host(), &event);
        QTRY_VERIFY(seen->seen);
        QCOMPARE(seen->name, u"PopupMenu1"_s);
        QCOMPARE(seen->topLeft, host()->mapToGlobal(QPoint(0, 0)));
    }

    void viewSwitchingByShortcut()
    {
        const QList<TImage *> skin{form().Image1, form().Image2, form().Image6, form().Image5, form().Image4};
        auto allSkin = [&](bool visible) {
            return std::all_of(skin.begin(), skin.end(), [&](TImage *i) { return i->Visible() == visible; });
        };
        QVERIFY(allSkin(true));
        QVERIFY(!form().MediaPlayer1->Visible());
        QTest::keyClick(form().window(), Qt::Key_I, Qt::ControlModifier);
        QVERIFY(allSkin(false));
        QVERIFY(form().MediaPlayer1->Visible());
        QVERIFY(form().MediaPlayer1->widget()->isVisible());
        QTest::keyClick(form().window(), Qt::Key_I, Qt::ControlModifier);
        QVERIFY(allSkin(false));
        // In the classic view with the bar focused, the shortcuts still work.
        form().MediaPlayer1->SetFocus();
        QTRY_VERIFY(form().MediaPlayer1->widget()->hasFocus());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_L, Qt::ControlModifier);
        QVERIFY(allSkin(true));
        QVERIFY(!form().MediaPlayer1->Visible());
        // The buttons are back in their places.
        QCOMPARE(form().ControlAtPos(QPoint(85, 45)), form().Image6);
    }

    void insertOpensTheDialogWithoutTheMenuEverOpened()
    {
        bool shown = false;
        QTimer::singleShot(50, this, [&] {
            QTRY_VERIFY(form().OpenDialog1->activeDialog());
            shown = true;
            QCOMPARE(form().OpenDialog1->activeDialog()->windowTitle(), u"Открыть файл мультимедиа"_s);
            form().OpenDialog1->activeDialog()->reject();
        });
        QTest::keyClick(form().window(), Qt::Key_Insert);
        QVERIFY(shown);
        // Cancelled: nothing changed.
        QCOMPARE(form().Caption(), u"Kavro"_s);
    }

    void shortcutsDoNothingWhileAMenuIsOpen()
    {
        bool classicWhileOpen = true;
        QTimer::singleShot(0, this, [&] {
            QTRY_VERIFY(QApplication::activePopupWidget());
            QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_I, Qt::ControlModifier);
            classicWhileOpen = form().MediaPlayer1->Visible();
            QApplication::activePopupWidget()->close();
        });
        QTest::mouseClick(host(), Qt::RightButton, {}, QPoint(170, 45));
        QVERIFY(!classicWhileOpen);
    }

    void closeItemsCloseTheWindow_data()
    {
        QTest::addColumn<bool>("byShortcut");
        QTest::newRow("Выйти by Shift+Del") << true;
        QTest::newRow("Закрыть from the title menu") << false;
    }
    void closeItemsCloseTheWindow()
    {
        QFETCH(bool, byShortcut);
        if (byShortcut) {
            QTest::keyClick(form().window(), Qt::Key_Delete, Qt::ShiftModifier);
        } else {
            auto seen = answerNextMenu(u"N1"_s);
            QTest::mouseClick(host(), Qt::RightButton, {}, QPoint(300, 10));
            QTRY_VERIFY(seen->seen);
        }
        QTRY_VERIFY(!form().window()->isVisible());
    }
};

KAVRO_TEST_MAIN(TestMenus)
#include "test_menus.moc"
