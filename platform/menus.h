// Menus: TMenuItem trees shown as popup menus or a window's menu bar, and their shortcuts.
#pragma once

#include "platform/classes.h"

#include <QImage>
#include <QKeySequence>
#include <QPoint>

class QMenu;
class QMenuBar;

class TMenuItem : public TComponent
{
    Q_OBJECT
    Q_PROPERTY(QString Caption READ Caption WRITE setCaption)
    Q_PROPERTY(QString ShortCut READ ShortCutText WRITE setShortCutText)
    Q_PROPERTY(QImage Bitmap READ Bitmap WRITE setBitmap)
    Q_PROPERTY(bool Enabled MEMBER m_enabled)
    Q_PROPERTY(bool Visible MEMBER m_visible)

public:
    explicit TMenuItem(TComponent *owner = nullptr);

    QString Caption() const { return m_caption; }
    void setCaption(const QString &caption) { m_caption = caption; }
    bool isSeparator() const { return m_caption == QLatin1String("-"); }
    QKeySequence ShortCut() const { return m_shortCut; }
    QString ShortCutText() const;
    void setShortCutText(const QString &text);
    QImage Bitmap() const { return m_bitmap; }
    void setBitmap(const QImage &bitmap) { m_bitmap = bitmap; }
    const QList<TMenuItem *> &Items() const { return m_items; }
    TMenuItem *ParentItem() const { return m_parentItem; }

    // The item whose shortcut equals `key`, searching submenus too, or nullptr.
    TMenuItem *FindShortCut(const QKeySequence &key) const;
    // Runs the item's handler (OnClick).
    void Click();

    bool insertChild(TComponent *child) override;
    QByteArray eventSignature(const QByteArray &event) const override;

    // Adds this item's children to `menu` (a QMenu or QMenuBar).
    void fillMenu(QWidget *menu);

    // The menu text for a shortcut: "Shift+", "Ctrl+", "Alt+", then the key name
    // ("Ins", "Del", "F1", a capital letter).
    static QString shortCutToText(const QKeySequence &key);
    static QKeySequence textToShortCut(const QString &text);

private:
    QString m_caption;
    QKeySequence m_shortCut;
    QImage m_bitmap;
    bool m_enabled = true;
    bool m_visible = true;
    QList<TMenuItem *> m_items;
    TMenuItem *m_parentItem = nullptr;
};

class TMenu : public TComponent
{
    Q_OBJECT
public:
    explicit TMenu(TComponent *owner = nullptr);
    TMenuItem *Items() const { return m_items; }
    bool insertChild(TComponent *child) override;
    // Finds the item for `key` and clicks it with its parents; true when found.
    bool IsShortCut(const QKeySequence &key);

private:
    TMenuItem *m_items;
};

class TPopupMenu : public TMenu
{
    Q_OBJECT
    Q_PROPERTY(bool AutoPopup MEMBER m_autoPopup)
public:
    using TMenu::TMenu;
    bool AutoPopup() const { return m_autoPopup; }
    // Opens the menu with its top-left corner at `globalPos`; the chosen item's
    // handler runs after the menu has closed.
    void Popup(QPoint globalPos);

private:
    bool m_autoPopup = true;
};

class TMainMenu : public TMenu
{
    Q_OBJECT
public:
    using TMenu::TMenu;
    // Builds the menu bar of the window that shows this menu.
    void fillMenuBar(QMenuBar *bar);
};
