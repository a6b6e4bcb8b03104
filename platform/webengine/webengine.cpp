// The web engine module: Qt WebEngine views behind the WebView interface.
#include "platform/webengine/webengine.h"

#include <QFileDialog>
#include <QHash>
#include <QPointer>
#include <QStandardPaths>
#include <QWebEngineDownloadRequest>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>

namespace {

class View;

// Downloads are announced by the profile; each goes to the view whose page asked.
QHash<QWebEnginePage *, View *> &views()
{
    static QHash<QWebEnginePage *, View *> table;
    return table;
}

class View : public WebView
{
public:
    View(QWidget *parent, WebViewEvents events) : m_view(new QWebEngineView(parent)), m_events(std::move(events))
    {
        QObject::connect(m_view, &QWebEngineView::loadStarted, m_view, [this] {
            if (m_events.downloadBegin)
                m_events.downloadBegin();
        });
        QObject::connect(m_view, &QWebEngineView::loadFinished, m_view, [this](bool) {
            if (m_events.downloadComplete)
                m_events.downloadComplete();
        });
        m_page = m_view->page();
        views().insert(m_page, this);
    }
    ~View() override
    {
        views().remove(m_page);
        delete m_view.data();
    }
    QWidget *widget() override { return m_view; }
    void navigate(const QUrl &url) override { m_view->load(url); }
    QUrl url() const override { return m_view->url(); }

    void download(QWebEngineDownloadRequest *request)
    {
        bool cancel = false;
        if (m_events.fileDownload)
            m_events.fileDownload(cancel);
        if (cancel) {
            request->cancel();
            return;
        }
        // The browser's own way: ask where to save the file.
        const QString dir = QStandardPaths::writableLocation(QStandardPaths::DownloadLocation);
        const QString suggested = dir + u'/' + request->downloadFileName();
        const QString target = QFileDialog::getSaveFileName(m_view->window(), QString(), suggested, QString(), nullptr,
                                                            QFileDialog::DontUseNativeDialog);
        if (target.isEmpty()) {
            request->cancel();
            return;
        }
        const int slash = target.lastIndexOf(u'/');
        request->setDownloadDirectory(target.left(slash));
        request->setDownloadFileName(target.mid(slash + 1));
        request->accept();
    }

private:
    QPointer<QWebEngineView> m_view;
    QWebEnginePage *m_page = nullptr;
    WebViewEvents m_events;
};

class Factory : public QObject, public WebEngineFactory
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID KavroWebEngineFactory_iid)
    Q_INTERFACES(WebEngineFactory)

public:
    Factory()
    {
        connect(QWebEngineProfile::defaultProfile(), &QWebEngineProfile::downloadRequested, this,
                [](QWebEngineDownloadRequest *request) {
                    auto *page = qobject_cast<QWebEnginePage *>(request->page());
                    if (View *view = views().value(page))
                        view->download(request);
                    else
                        request->cancel();
                });
    }
    WebView *createView(QWidget *parent, WebViewEvents events) override
    {
        return new View(parent, std::move(events));
    }
};

} // namespace

#include "webengine.moc"
