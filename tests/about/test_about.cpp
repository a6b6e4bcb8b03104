// The about window: geometry, texts, focus, keys that close it and keys that do not, reopening.
#include "../common/testmain.h"
#include "about/unit2.h"
#include "platform/graphics.h"
#include "player/SDIMAIN.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;

class TestAbout : public QObject
{
    Q_OBJECT

    // Shows the box modally and runs `during` once it is up; returns whether
    // the box was still open after `during` (it is closed then either way).
    bool whileShown(const std::function<void()> &during)
    {
        bool stillOpen = false;
        QTimer::singleShot(0, this, [&] {
            QTRY_VERIFY(AboutBox->window()->isVisible());
            QTRY_VERIFY(QApplication::activeWindow() == AboutBox->window());
            during();
            QTest::qWait(50);
            stillOpen = AboutBox->window()->isVisible() && AboutBox->isModal();
            if (stillOpen)
                AboutBox->Close();
        });
        AboutBox->ShowModal();
        return stillOpen;
    }

private Q_SLOTS:
    void initTestCase()
    {
        TPicture::RegisterPngAndJpeg();
        // The window set as the program makes it: the player first.
        Application->CreateForm(Form1);
        Application->CreateForm(AboutBox);
        Form1->setVisible(true);
        QVERIFY(QTest::qWaitForWindowActive(Form1->window()));
    }

    void geometryAndLook()
    {
        QCOMPARE(AboutBox->Caption(), u"О программе: Kavro версия 1.6 beta 2"_s);
        QCOMPARE(AboutBox->window()->windowTitle(), u"О программе: Kavro версия 1.6 beta 2"_s);
        QCOMPARE(AboutBox->widget()->size(), QSize(614, 336));
        QCOMPARE(AboutBox->Panel1->widget()->geometry(), QRect(8, 7, 593, 90));
        QCOMPARE(AboutBox->Panel1->Color(), QColor(255, 251, 240));
        QCOMPARE(AboutBox->OKButton->widget()->geometry(), QRect(542, 305, 65, 24));
        QCOMPARE(AboutBox->Memo1->widget()->geometry(), QRect(13, 102, 593, 191));
        QCOMPARE(AboutBox->ProgramIcon->BoundsRect(), QRect(8, 18, 201, 65));
        QCOMPARE(AboutBox->ProgramIcon->Picture().size(), QSize(196, 63));
        QCOMPARE(AboutBox->ProgramIcon->Parent(), AboutBox->Panel1);
        for (TLabel *l : {AboutBox->ProductName, AboutBox->Version, AboutBox->Copyright, AboutBox->Comments,
                          AboutBox->Label1}) {
            QCOMPARE(l->Parent(), AboutBox->Panel1);
            QCOMPARE(l->Left(), 232);
        }
        // A dialog frame with a close button only, and not resizable.
        const Qt::WindowFlags flags = AboutBox->window()->windowFlags();
        QVERIFY(flags & Qt::WindowCloseButtonHint);
        QVERIFY(!(flags & Qt::WindowMinimizeButtonHint));
        QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
        QCOMPARE(AboutBox->widget()->minimumSize(), AboutBox->widget()->maximumSize());
        QVERIFY(AboutBox->OKButton->button()->isDefault());
        QVERIFY(AboutBox->Memo1->ReadOnly());
        QCOMPARE(AboutBox->Memo1->edit()->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        QCOMPARE(AboutBox->Memo1->edit()->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        QCOMPARE(AboutBox->Memo1->edit()->lineWrapMode(), QPlainTextEdit::WidgetWidth);
    }

    void texts()
    {
        QCOMPARE(AboutBox->ProductName->Caption(), u"Kavro Media Player"_s);
        QCOMPARE(AboutBox->Version->Caption(), u"Версия: 1.6 beta 2"_s);
        QCOMPARE(AboutBox->Comments->Caption(), u"Год: 2009"_s);
        QVERIFY(AboutBox->Copyright->Caption().startsWith(u"Разработчики: "_s));
        QVERIFY(AboutBox->Label1->Caption().startsWith(u"Посвящение: "_s));
        const QStringList lines = AboutBox->Memo1->Lines();
        QCOMPARE(lines.size(), 16);
        QCOMPARE(lines[0], u"ВНИМАНИЕ, ПРОЧТИТЕ ВНИМАТЕЛЬНО!"_s);
        QCOMPARE(lines[1], QString());
        QCOMPARE(lines[2], u"Устанавливая на свой компьютер программу Kavro Media Player, вы принимаете все пункты соглашения!"_s);
        QCOMPARE(lines[3], QString());
        QCOMPARE(lines[4], u"1. Данное программное обеспечение абсолютно бесплатно. Приняв данное соглашение, вы имеете право на "_s);
        QCOMPARE(lines[7], u"«команда разработки»)."_s);
        QCOMPARE(lines[8], u"3. Размещение на сторонних сайтах, без ведома создателя строго запрещено."_s);
        QCOMPARE(lines[10], u"5. Команда разработки не несет ответственность за действия нелицензионных копий программы, "_s);
        QCOMPARE(lines[12], u"  "_s);
        QCOMPARE(lines[13], QString());
        // The told lines: the site closes lines 6, 12 and 15; clause 2 names the
        // two developers of the credits line; the last line the dedication's person.
        const QString site = u"http://kavro.example"_s;
        for (int i : {5, 11, 14})
            QVERIFY2(lines[i].endsWith(site), qPrintable(lines[i]));
        QVERIFY(lines[6].startsWith(u"2. "_s) && lines[6].endsWith(u"(далее "_s));
        QVERIFY(lines[9].startsWith(u"4. "_s) && lines[9].contains(u"The Qt Company"_s));
        for (const QString &name : AboutBox->Copyright->Caption().mid(14).split(u", "_s))
            QVERIFY2(lines[6].contains(name.section(u' ', 0, 0).left(4)), qPrintable(name));
        QVERIFY(lines[15].contains(AboutBox->Label1->Caption().mid(12).section(u' ', 0, 0).left(4)));
    }

    void focusAndKeys()
    {
        // OK has the focus at the first showing; Tab goes to the memo and back.
        bool closedByEscape = true, closedByEnterInMemo = true;
        QString firstFocus, afterTab, afterSecondTab;
        closedByEscape = !whileShown([&] {
            firstFocus = QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            afterTab = QApplication::focusWidget()->objectName();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            afterSecondTab = QApplication::focusWidget()->objectName();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        });
        QCOMPARE(firstFocus, u"OKButton"_s);
        QCOMPARE(afterTab, u"Memo1"_s);
        QCOMPARE(afterSecondTab, u"OKButton"_s);
        QVERIFY(!closedByEscape);
        closedByEnterInMemo = !whileShown([&] {
            AboutBox->Memo1->SetFocus();
            QTest::keyClick(AboutBox->Memo1->edit(), Qt::Key_Return);
            // Read-only: typing changes nothing; the text can still be selected.
            QTest::keyClick(AboutBox->Memo1->edit(), Qt::Key_X);
            AboutBox->Memo1->edit()->selectAll();
        });
        QVERIFY(!closedByEnterInMemo);
        QCOMPARE(AboutBox->Memo1->Lines().size(), 16);
        QCOMPARE(AboutBox->Memo1->Lines()[0], u"ВНИМАНИЕ, ПРОЧТИТЕ ВНИМАТЕЛЬНО!"_s);
        QVERIFY(AboutBox->Memo1->edit()->textCursor().hasSelection());
    }

    void closingWays_data()
    {
        QTest::addColumn<int>("way");
        QTest::newRow("OK clicked") << 0;
        QTest::newRow("Return on OK") << 1;
        QTest::newRow("Space on OK") << 2;
        QTest::newRow("close request") << 3;
    }
    void closingWays()
    {
        QFETCH(int, way);
        const bool stillOpen = whileShown([&] {
            QPushButton *ok = AboutBox->OKButton->button();
            ok->setFocus();
            switch (way) {
            case 0: QTest::mouseClick(ok, Qt::LeftButton); break;
            case 1: QTest::keyClick(ok, Qt::Key_Return); break;
            case 2: QTest::keyClick(ok, Qt::Key_Space); break;
            case 3: AboutBox->window()->close(); break;
            }
        });
        QVERIFY(!stillOpen);
        QVERIFY(!AboutBox->window()->isVisible());
    }

    void firstShowingCentredThenLastPlace()
    {
        QPoint first, second;
        whileShown([&] {
            first = AboutBox->window()->frameGeometry().center();
            AboutBox->window()->move(AboutBox->window()->pos() + QPoint(-50, -40));
        });
        whileShown([&] { second = AboutBox->window()->pos(); });
        const QPoint centre = AboutBox->window()->screen()->availableGeometry().center();
        QVERIFY2((first - centre).manhattanLength() <= 30, qPrintable(u"%1,%2"_s.arg(first.x()).arg(first.y())));
        QTRY_COMPARE(AboutBox->window()->pos(), second);
        QVERIFY((second - (first - QPoint(50, 40) - QPoint(AboutBox->window()->frameGeometry().width() / 2,
                                                             AboutBox->window()->frameGeometry().height() / 2)))
                    .manhattanLength() <= 30);
    }
};

KAVRO_TEST_MAIN(TestAbout)
#include "test_about.moc"
