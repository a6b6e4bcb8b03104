// TWebBrowser: a light control from start-up on, showing a web view once the engine module is loaded.
#pragma once

#include "platform/controls.h"

#include <QUrl>
#include <memory>

class WebView;
class WebEngineFactory;

class TWebBrowser : public TWinControl
{
    Q_OBJECT

public:
    explicit TWebBrowser(TComponent *owner = nullptr);
    ~TWebBrowser() override;

    // Loads `address` into this browser and returns at once. An address the
    // browser cannot take raises EOleException with the reason. Before the
    // engine is there, the address is kept and loaded as soon as it is.
    void Navigate(const QString &address);
    // The address shown or being loaded ("" before the first navigation).
    QUrl LocationURL() const;
    // The engine's view, once created (for tests).
    WebView *view() const { return m_view.get(); }

    QByteArray eventSignature(const QByteArray &event) const override;

    // Loads the engine module now (blocking) if it is not loaded yet; false when
    // it cannot be loaded. The first paint of the main window does this.
    static bool loadEngine();
    static bool engineLoaded();
    static QString engineError();

private:
    void ensureView();
    void engineArrived();

    std::unique_ptr<WebView> m_view;
    QUrl m_pending;
};
