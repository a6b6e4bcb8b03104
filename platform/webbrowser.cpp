// TWebBrowser: address checks, deferred navigation, the engine module's loading, and its events.
#include "platform/webbrowser.h"

#include "platform/application.h"
#include "platform/modules.h"
#include "platform/webengine/webengine.h"

#include <QTimer>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

struct Engine
{
    WebEngineFactory *factory = nullptr;
    QString error;
    bool tried = false;
    QList<QPointer<TWebBrowser>> waiting;
};

Engine &engine()
{
    static Engine e;
    return e;
}

} // namespace

TWebBrowser::TWebBrowser(TComponent *owner) : TWinControl(owner)
{
    auto *box = new QWidget;
    box->setAutoFillBackground(true);
    QPalette pal = box->palette();
    pal.setColor(QPalette::Window, Qt::white);
    box->setPalette(pal);
    auto *layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    setWidget(box);
    setTabStop(true);
    // The main window's first paint loads the engine; until then, keep light.
    static QPointer<TApplication> hooked;
    if (Application && hooked != Application) {
        hooked = Application;
        connect(Application, &TApplication::mainFormPainted, Application,
                [] { QTimer::singleShot(0, Application, [] { loadEngine(); }); });
    }
}

TWebBrowser::~TWebBrowser()
{
    m_view.reset();
}

bool TWebBrowser::engineLoaded()
{
    return engine().factory != nullptr;
}

QString TWebBrowser::engineError()
{
    return engine().error;
}

bool TWebBrowser::loadEngine()
{
    Engine &e = engine();
    if (e.factory || e.tried)
        return e.factory != nullptr;
    e.tried = true;
    e.factory = qobject_cast<WebEngineFactory *>(loadModule(u"kavro-webengine.so"_s, &e.error));
    if (!e.factory && e.error.isEmpty())
        e.error = u"The module kavro-webengine.so is not a web engine"_s;
    const auto waiting = std::exchange(e.waiting, {});
    for (const QPointer<TWebBrowser> &b : waiting)
        if (b)
            Application->dispatch([&] { b->engineArrived(); });
    return e.factory != nullptr;
}

void TWebBrowser::ensureView()
{
    if (m_view || !engine().factory)
        return;
    WebViewEvents events;
    events.downloadBegin = [this] { Application->dispatch([this] { fire("OnDownloadBegin"); }); };
    events.downloadComplete = [this] { Application->dispatch([this] { fire("OnDownloadComplete"); }); };
    events.fileDownload = [this](bool &cancel) {
        Application->dispatch([&] {
            void *argv[] = {nullptr, nullptr, &cancel};
            invoke("OnFileDownload", argv);
        });
    };
    m_view.reset(engine().factory->createView(widget(), std::move(events)));
    widget()->layout()->addWidget(m_view->widget());
    m_view->widget()->show();
}

void TWebBrowser::engineArrived()
{
    if (m_pending.isEmpty())
        return;
    ensureView();
    if (!m_view)
        throw EOleException(engine().error);
    m_view->navigate(std::exchange(m_pending, {}));
}

void TWebBrowser::Navigate(const QString &address)
{
    const QUrl url(address, QUrl::StrictMode);
    if (address.trimmed().isEmpty())
        throw EOleException(u"Invalid address: the address is empty"_s);
    if (!url.isValid())
        throw EOleException(u"Invalid address %1: %2"_s.arg(address, url.errorString()));
    if (url.isRelative())
        throw EOleException(u"Invalid address %1: it names no scheme"_s.arg(address));
    if (engine().tried && !engine().factory)
        throw EOleException(engine().error);
    if (!engine().factory) {
        // Carried out as soon as the engine is there.
        m_pending = url;
        engine().waiting.append(this);
        return;
    }
    ensureView();
    m_view->navigate(url);
}

QUrl TWebBrowser::LocationURL() const
{
    return m_view ? m_view->url() : m_pending;
}

QByteArray TWebBrowser::eventSignature(const QByteArray &event) const
{
    if (event == "OnDownloadBegin" || event == "OnDownloadComplete")
        return kNotifySignature;
    if (event == "OnFileDownload")
        return QByteArrayLiteral("(QObject*,bool&)");
    return TWinControl::eventSignature(event);
}
