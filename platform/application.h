// TApplication: title, icon, the window set, the one dispatch point for handlers, the error boxes.
#pragma once

#include "platform/exceptions.h"

#include <QApplication>
#include <QIcon>
#include <QList>
#include <QString>
#include <functional>

class TForm;

class TApplication : public QObject
{
    Q_OBJECT
public:
    // Must run before the QApplication exists: the embedded web engine needs
    // shared OpenGL contexts.
    static void prepare();
    TApplication(int &argc, char **argv);
    ~TApplication() override;

    QString Title() const { return m_title; }
    void setTitle(const QString &title);
    QIcon Icon() const { return m_icon; }
    TForm *MainForm() const { return m_mainForm; }
    const QList<TForm *> &Forms() const { return m_forms; }

    // Creates a form, builds it from its description and runs its creation
    // handler. The first form created becomes the main window. An error while
    // building propagates (start-up ends in the start-up error box); an error
    // in the creation handler goes to the error box and start-up goes on.
    template<class T>
    void CreateForm(T *&ref)
    {
        auto *form = new T();
        ref = form;
        adoptForm(form);
    }

    // Runs the start-up steps; on an error escaping them shows the start-up
    // error box and returns 1. Otherwise shows the main form, runs the event
    // loop, destroys the windows last created first and returns 0.
    int start(const std::function<void()> &steps);
    void Terminate();

    // The one dispatch point every event handler runs through: whatever escapes
    // the handler is shown in the error box and the program goes on.
    template<class F>
    void dispatch(F &&handler) noexcept
    {
        try {
            handler();
        } catch (const Exception &e) {
            HandleException(e);
        } catch (const std::exception &e) {
            HandleException(Exception(QString::fromLocal8Bit(e.what())));
        } catch (...) {
            HandleException(Exception(QStringLiteral("Unknown error")));
        }
    }
    void HandleException(const Exception &e) noexcept;
    void ShowException(const Exception &e);

    // The error box's text: the innermost non-empty message, with "." added
    // when its last character's code is above that of the full stop.
    static QString errorBoxText(const Exception &e);
    // The start-up error box's two CR LF ended lines.
    static QString startupErrorText(const Exception &e);

    // Told by the main window's first paint.
    void mainFormPaintedOnce();

Q_SIGNALS:
    // The main window has been painted for the first time: work that must not
    // delay it may start now.
    void mainFormPainted();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void adoptForm(TForm *form);
    void destroyForms();
    // The session's end (SIGTERM, SIGHUP) and Ctrl+C in a terminal (SIGINT)
    // close the main window as its own close command does, so the program
    // ends in order with exit code 0.
    void closeOnTerminationSignals();

    QApplication m_qapp;
    QString m_title;
    QIcon m_icon;
    QList<TForm *> m_forms;
    TForm *m_mainForm = nullptr;
    bool m_painted = false;
};

extern TApplication *Application;
