// The interface between TWebBrowser and the web engine module, which is loaded
// after the player's first paint so that the engine stays off the start-up path.
#pragma once

#include <QtPlugin>
#include <QUrl>
#include <functional>

class QWidget;

// What a web view reports back to its TWebBrowser, on the UI thread.
struct WebViewEvents
{
    std::function<void()> downloadBegin;
    std::function<void()> downloadComplete;
    // A page offers a file: the handler may set the flag to cancel it.
    std::function<void(bool &cancel)> fileDownload;
};

// One browser view, owned by the TWebBrowser that asked for it.
class WebView
{
public:
    virtual ~WebView() = default;
    virtual QWidget *widget() = 0;
    // Loads the address into this view and returns at once.
    virtual void navigate(const QUrl &url) = 0;
    virtual QUrl url() const = 0;
};

class WebEngineFactory
{
public:
    virtual ~WebEngineFactory() = default;
    virtual WebView *createView(QWidget *parent, WebViewEvents events) = 0;
};

#define KavroWebEngineFactory_iid "example.kavro.WebEngineFactory/1"
Q_DECLARE_INTERFACE(WebEngineFactory, KavroWebEngineFactory_iid)
