// The memory reference: a bare Qt program with one web view that has loaded a page.
#include <QApplication>
#include <QWebEngineView>

int main(int argc, char *argv[])
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QWebEngineView view;
    view.resize(729, 623);
    view.setHtml(QStringLiteral("<html><body><h1>Page</h1></body></html>"));
    view.show();
    return app.exec();
}
