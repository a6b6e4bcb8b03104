// The web page windows against a local HTTP server: when each navigates, the
// status texts, downloads, closing and reopening, and failed addresses.
#include "../common/httpserver.h"
#include "../common/modal.h"
#include "../common/testmain.h"
#include "about/unit2.h"
#include "platform/graphics.h"
#include "platform/webengine/webengine.h"
#include "player/SDIMAIN.h"
#include "webpages/Unit4.h"
#include "webpages/Unit8.h"
#include "webpages/unit3.h"

#include <QFileDialog>
#include <QLineEdit>
#include <QMenuBar>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

class TestWeb : public QObject
{
    Q_OBJECT

    TestHttpServer m_server;
    QTemporaryDir m_dir;
    QStringList m_status;

    // Shows `form` modally, runs `during` while it is up, then closes it.
    void whileShown(TForm *form, const std::function<void()> &during)
    {
        QTimer::singleShot(0, this, [=] {
            QTRY_VERIFY(form->window()->isVisible());
            during();
            form->Close();
        });
        form->ShowModal();
        QVERIFY(!form->window()->isVisible());
    }

    static void pick(TForm3 *form, const QString &item)
    {
        for (QAction *a : form->window()->findChild<QMenuBar *>()->actions())
            if (a->objectName() == item)
                a->trigger();
    }

    QString statusText() { return Form3->StatusBar1->bar()->currentMessage(); }

private Q_SLOTS:
    void initTestCase()
    {
        TPicture::RegisterPngAndJpeg();
        // The window set in its order. Only the address boxes are changed, to
        // this test's server; the problem-report window's before its creation
        // handler runs.
        Application->CreateForm(Form1);
        Application->CreateForm(AboutBox);
        Application->CreateForm(Form3);
        Form4 = new TForm4;
        Form4->loadDescription();
        QCOMPARE(Form4->Edit1->Text(), u"http://kavro.example/index/0-6"_s);
        Form4->Edit1->setText(m_server.base() + u"/index/0-6"_s);
        Form4->DoCreate();
        Form8 = new TForm8;
        Form8->loadDescription();
        QCOMPARE(Form3->Edit1->Text(), u"http://kavro.example/update/download_update.html"_s);
        QVERIFY(Form8->Edit1->Text().startsWith(u"http://donate.example/donation/default.asp?pbid="_s));
        Form3->Edit1->setText(m_server.base() + u"/update/download_update.html"_s);
        Form8->Edit1->setText(m_server.base() + u"/donation/default.asp?pbid=4815162342"_s);
        connect(Form3->StatusBar1->bar(), &QStatusBar::messageChanged, this,
                [this](const QString &text) { m_status << text; });
        // Nothing is requested before the event loop runs and the player is painted.
        QVERIFY(!TWebBrowser::engineLoaded());
        QCOMPARE(m_server.count(u"/index/0-6"_s), 0);
        Form1->setVisible(true);
        QVERIFY(QTest::qWaitForWindowExposed(Form1->window()));
    }
    void cleanupTestCase()
    {
        delete Form8;
        delete Form4;
    }

    void problemReportPageIsRequestedAtStartOnce()
    {
        QTRY_VERIFY_WITH_TIMEOUT(TWebBrowser::engineLoaded(), 20000);
        QTRY_COMPARE_WITH_TIMEOUT(m_server.count(u"/index/0-6"_s), 1, 20000);
        QVERIFY(!Form4->window()->isVisible());
        QCOMPARE(TForm4::lastAddress(), m_server.base() + u"/index/0-6"_s);
        // Opening and reopening shows that page without a new request.
        for (int i = 0; i < 2; ++i)
            whileShown(Form4, [&] {
                QCOMPARE(Form4->widget()->size(), QSize(729, 623));
                QTest::qWait(300);
            });
        QCOMPARE(m_server.count(u"/index/0-6"_s), 1);
    }

    void updateWindowLoadsOnEachPickOnly()
    {
        const QString page = u"/update/download_update.html"_s;
        whileShown(Form3, [&] {
            QCOMPARE(Form3->window()->windowTitle(), u"Проверить наличие обновлений на Kavro Update"_s);
            QCOMPARE(Form3->widget()->size(), QSize(423, 346));
            // The first opening shows no page and no status text.
            QTest::qWait(300);
            QCOMPARE(m_server.count(page), 0);
            QCOMPARE(statusText(), QString());
            QVERIFY(!Form3->WebBrowser1->view());
            // The version entry does nothing.
            pick(Form3, u"N141"_s);
            QTest::qWait(200);
            QCOMPARE(m_server.count(page), 0);
            pick(Form3, u"N1"_s);
            QTRY_COMPARE_WITH_TIMEOUT(m_server.count(page), 1, 15000);
            QTRY_COMPARE_WITH_TIMEOUT(statusText(), u"Информация загружена"_s, 15000);
            QVERIFY(m_status.contains(u"Загрузка информации, подождите..."_s));
            pick(Form3, u"N1"_s);
            QTRY_COMPARE_WITH_TIMEOUT(m_server.count(page), 2, 15000);
        });
        // Closing keeps the page and the status; reopening requests nothing.
        whileShown(Form3, [&] {
            QTest::qWait(300);
            QCOMPARE(statusText(), u"Информация загружена"_s);
        });
        QCOMPARE(m_server.count(page), 2);
        QCOMPARE(TForm3::lastAddress(), m_server.base() + page);
    }

    void offeredFileIsDownloaded()
    {
        const QString target = m_dir.filePath(u"update.bin"_s);
        whileShown(Form3, [&] {
            // The address box's text at the moment of navigation is what loads.
            Form3->Edit1->setText(m_server.base() + u"/files/update.bin"_s);
            // The browser asks where to save: answer as a user would.
            auto asked = answerNextFileDialog(target);
            pick(Form3, u"N1"_s);
            QTRY_COMPARE_WITH_TIMEOUT(m_server.count(u"/files/update.bin"_s), 1, 15000);
            QTRY_VERIFY_WITH_TIMEOUT(m_status.contains(u"Загружаются обновления!"_s), 15000);
            QTRY_VERIFY_WITH_TIMEOUT(*asked, 15000);
            QTRY_COMPARE_WITH_TIMEOUT(QFileInfo(target).size(), 4096, 15000);
        });
        Form3->Edit1->setText(m_server.base() + u"/update/download_update.html"_s);
    }

    void donationPageIsRequestedAtEachOpening()
    {
        const QString page = u"/donation/default.asp?pbid=4815162342"_s;
        for (int i = 1; i <= 2; ++i)
            whileShown(Form8, [&] {
                QCOMPARE(Form8->widget()->size(), QSize(882, 601));
                QTRY_COMPARE_WITH_TIMEOUT(m_server.count(page), i, 15000);
                // The address box lies under the browser, which covers it.
                QWidget *edit = Form8->Edit1->widget(), *browser = Form8->WebBrowser1->widget();
                QVERIFY(edit->isVisible());
                QVERIFY(browser->geometry().contains(edit->geometry()));
                QCOMPARE(Form8->widget()->childAt(edit->geometry().center()) == edit, false);
            });
        // The text at the moment of navigation, not a copy taken earlier.
        Form8->Edit1->setText(m_server.base() + u"/donation/default.asp?pbid=42"_s);
        whileShown(Form8, [&] {
            QTRY_COMPARE_WITH_TIMEOUT(m_server.count(u"/donation/default.asp?pbid=42"_s), 1, 15000);
        });
        QCOMPARE(TForm8::lastAddress(), m_server.base() + u"/donation/default.asp?pbid=42"_s);
    }

    void unreachableAddressShowsNoErrorBox()
    {
        auto box = answerNextBox();
        whileShown(Form3, [&] {
            Form3->Edit1->setText(u"http://127.0.0.1:9/nothing-here"_s);
            pick(Form3, u"N1"_s);
            QTRY_COMPARE_WITH_TIMEOUT(statusText(), u"Информация загружена"_s, 15000);
            QTest::qWait(300);
        });
        box->stop();
        QVERIFY(!box->seen);
    }

    void addressTheBrowserCannotTakeReachesTheErrorBox()
    {
        auto box = answerNextBox();
        whileShown(Form3, [&] {
            Form3->Edit1->setText(u"http://bad host/"_s);
            pick(Form3, u"N1"_s);
        });
        QVERIFY(box->seen);
        QCOMPARE(box->title, u"Kavro"_s);
        QVERIFY2(box->text.startsWith(u"Invalid address http://bad host/"_s), qPrintable(box->text));
        Form3->Edit1->setText(m_server.base() + u"/update/download_update.html"_s);
    }
};

KAVRO_TEST_MAIN(TestWeb)
#include "test_web.moc"
