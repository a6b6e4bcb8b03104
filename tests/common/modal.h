// Helpers for tests that meet modal boxes: answer the next one and record what it showed.
#pragma once

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QPointer>
#include <QTimer>
#include <QAction>
#include <QMenu>
#include <QTest>
#include <memory>
#include <functional>

struct SeenBox
{
    bool seen = false;
    QString title, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QStringList buttons;
    QWidget *parent = nullptr;
    Qt::WindowModality modality = Qt::NonModal;
    QPointer<QTimer> timer;
    // Stops waiting for a box that did not come.
    void stop()
    {
        if (timer)
            timer->deleteLater();
    }
};

// Polls for the next modal message box, records it and presses its first button.
// The returned record is filled in once the box has been answered.
inline std::shared_ptr<SeenBox> answerNextBox(std::function<void(QMessageBox *)> whileOpen = {})
{
    auto seen = std::make_shared<SeenBox>();
    auto *timer = new QTimer;
    seen->timer = timer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, timer, [seen, timer, whileOpen] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box || !box->isVisible())
            return;
        timer->stop();
        timer->deleteLater();
        seen->seen = true;
        seen->title = box->windowTitle();
        seen->text = box->text();
        seen->icon = box->icon();
        seen->parent = box->parentWidget();
        seen->modality = box->windowModality();
        for (QAbstractButton *b : box->buttons())
            seen->buttons << b->text();
        if (whileOpen)
            whileOpen(box);
        box->buttons().first()->click();
    });
    timer->start();
    return seen;
}

// Polls for the next popup menu, records its object name and its actions' texts,
// then closes it (or picks the action named `choose`).
struct SeenMenu
{
    bool seen = false;
    QString name;
    QStringList texts;
    QPoint topLeft;
};

inline std::shared_ptr<SeenMenu> answerNextMenu(const QString &choose = {})
{
    auto seen = std::make_shared<SeenMenu>();
    auto *timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, timer, [seen, timer, choose] {
        QWidget *popup = QApplication::activePopupWidget();
        if (!popup || !popup->isVisible())
            return;
        timer->stop();
        timer->deleteLater();
        seen->seen = true;
        seen->name = popup->objectName();
        seen->topLeft = popup->pos();
        for (QAction *a : popup->actions())
            seen->texts << a->text();
        if (!choose.isEmpty()) {
            for (QAction *a : popup->actions())
                if (a->objectName() == choose) {
                    // As a user would: make it the current item and press Return.
                    if (auto *menu = qobject_cast<QMenu *>(popup)) {
                        menu->setActiveAction(a);
                        QTest::keyClick(menu, Qt::Key_Return);
                        return;
                    }
                }
        }
        popup->close();
    });
    timer->start();
    return seen;
}

#include <QFileDialog>
#include <QLineEdit>

// Polls for the next modal file dialog and answers it as a user would: types
// `path` into its name box and presses Return (or cancels when `path` is empty).
inline std::shared_ptr<bool> answerNextFileDialog(const QString &path)
{
    auto seen = std::make_shared<bool>(false);
    auto *timer = new QTimer;
    timer->setInterval(20);
    QObject::connect(timer, &QTimer::timeout, timer, [seen, timer, path] {
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible())
            return;
        timer->stop();
        timer->deleteLater();
        *seen = true;
        if (path.isEmpty()) {
            dialog->reject();
            return;
        }
        auto *edit = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
        edit->setText(path);
        QTest::keyClick(edit, Qt::Key_Return);
    });
    timer->start();
    return seen;
}
