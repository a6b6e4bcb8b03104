// Menus: item trees, popup and menu bar building, and the shortcut search.
#include "platform/menus.h"

#include "platform/application.h"

#include <QMenu>
#include <QMenuBar>
#include <QPixmap>
#include <QPointer>
#include <QProxyStyle>
#include <QApplication>

using namespace Qt::StringLiterals;

TMenuItem::TMenuItem(TComponent *owner) : TComponent(owner) {}

bool TMenuItem::insertChild(TComponent *child)
{
    auto *item = qobject_cast<TMenuItem *>(child);
    if (!item)
        return false;
    item->m_parentItem = this;
    m_items.append(item);
    return true;
}

QByteArray TMenuItem::eventSignature(const QByteArray &event) const
{
    return event == "OnClick" ? kNotifySignature : TComponent::eventSignature(event);
}

void TMenuItem::Click()
{
    fire("OnClick");
}

TMenuItem *TMenuItem::FindShortCut(const QKeySequence &key) const
{
    for (TMenuItem *item : m_items) {
        if (!item->m_shortCut.isEmpty() && item->m_shortCut == key)
            return item;
        if (TMenuItem *found = item->FindShortCut(key))
            return found;
    }
    return nullptr;
}

QString TMenuItem::ShortCutText() const
{
    return shortCutToText(m_shortCut);
}

void TMenuItem::setShortCutText(const QString &text)
{
    m_shortCut = textToShortCut(text);
}

namespace {
struct KeyName
{
    Qt::Key key;
    const char16_t *name;
};
constexpr KeyName kKeyNames[] = {
    {Qt::Key_Insert, u"Ins"},       {Qt::Key_Delete, u"Del"},     {Qt::Key_Escape, u"Esc"},
    {Qt::Key_Return, u"Enter"},     {Qt::Key_Space, u"Space"},    {Qt::Key_Tab, u"Tab"},
    {Qt::Key_Backspace, u"BkSp"},   {Qt::Key_Home, u"Home"},      {Qt::Key_End, u"End"},
    {Qt::Key_PageUp, u"PgUp"},      {Qt::Key_PageDown, u"PgDn"},  {Qt::Key_Left, u"Left"},
    {Qt::Key_Right, u"Right"},      {Qt::Key_Up, u"Up"},          {Qt::Key_Down, u"Down"},
};
} // namespace

QString TMenuItem::shortCutToText(const QKeySequence &key)
{
    if (key.isEmpty())
        return {};
    const QKeyCombination combo = key[0];
    QString text;
    const auto mods = combo.keyboardModifiers();
    if (mods & Qt::ShiftModifier)
        text += u"Shift+"_s;
    if (mods & Qt::ControlModifier)
        text += u"Ctrl+"_s;
    if (mods & Qt::AltModifier)
        text += u"Alt+"_s;
    const Qt::Key k = combo.key();
    if (k >= Qt::Key_F1 && k <= Qt::Key_F24)
        return text + u'F' + QString::number(k - Qt::Key_F1 + 1);
    if ((k >= Qt::Key_A && k <= Qt::Key_Z) || (k >= Qt::Key_0 && k <= Qt::Key_9))
        return text + QChar(char16_t(k));
    for (const KeyName &n : kKeyNames)
        if (n.key == k)
            return text + QString::fromUtf16(n.name);
    return text + QKeySequence(k).toString(QKeySequence::PortableText);
}

QKeySequence TMenuItem::textToShortCut(const QString &text)
{
    if (text.isEmpty())
        return {};
    QString rest = text;
    Qt::KeyboardModifiers mods;
    const std::pair<QString, Qt::KeyboardModifier> prefixes[] = {
        {u"Shift+"_s, Qt::ShiftModifier}, {u"Ctrl+"_s, Qt::ControlModifier}, {u"Alt+"_s, Qt::AltModifier}};
    for (const auto &[prefix, mod] : prefixes) {
        if (rest.startsWith(prefix) && rest.size() > prefix.size()) {
            mods |= mod;
            rest.remove(0, prefix.size());
        }
    }
    Qt::Key key = Qt::Key_unknown;
    if (rest.size() == 1 && (rest[0].isUpper() || rest[0].isDigit()) && rest[0].unicode() < 128) {
        key = Qt::Key(rest[0].unicode());
    } else if (rest.size() >= 2 && rest[0] == u'F') {
        bool ok = false;
        const int n = rest.mid(1).toInt(&ok);
        if (ok && n >= 1 && n <= 24)
            key = Qt::Key(Qt::Key_F1 + n - 1);
    } else {
        for (const KeyName &n : kKeyNames)
            if (rest == QString::fromUtf16(n.name))
                key = n.key;
    }
    if (key == Qt::Key_unknown)
        throw EReadError(u"Invalid shortcut '%1'"_s.arg(text));
    return QKeySequence(QKeyCombination(mods, key));
}

// The menus' style: the application's, with room for glyphs 20 pixels wide
// (the widest glyph is 20x16), which the default 16-pixel icon size would shrink.
static QStyle *menuStyle()
{
    class GlyphStyle : public QProxyStyle
    {
    public:
        int pixelMetric(PixelMetric metric, const QStyleOption *option, const QWidget *widget) const override
        {
            if (metric == PM_SmallIconSize)
                return 20;
            return QProxyStyle::pixelMetric(metric, option, widget);
        }
    };
    static QPointer<QStyle> style;
    if (!style) {
        style = new GlyphStyle;
        style->setParent(qApp);
    }
    return style;
}

// The caption with an access key marked: the first letter A to Z or digit not
// taken by an earlier item of the same list, if the caption has one.
static QString withAccessKey(const QString &caption, QString &taken)
{
    QString text = caption;
    text.replace(u'&', u"&&"_s);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i].toUpper();
        const bool usable = (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9');
        if (usable && !taken.contains(c)) {
            taken += c;
            return text.insert(i, u'&');
        }
    }
    return text;
}

void TMenuItem::fillMenu(QWidget *menu)
{
    QString taken;
    auto *qmenu = qobject_cast<QMenu *>(menu);
    auto *bar = qobject_cast<QMenuBar *>(menu);
    for (TMenuItem *item : std::as_const(m_items)) {
        if (!item->m_visible)
            continue;
        if (item->isSeparator()) {
            if (qmenu)
                qmenu->addSeparator();
            else if (bar)
                bar->addSeparator();
            continue;
        }
        QIcon icon;
        if (!item->m_bitmap.isNull()) {
            // The glyph's bottom-left pixel names its transparent colour.
            QImage glyph = item->m_bitmap.convertToFormat(QImage::Format_ARGB32);
            const QRgb transparent = glyph.pixel(0, glyph.height() - 1);
            for (int y = 0; y < glyph.height(); ++y) {
                auto *line = reinterpret_cast<QRgb *>(glyph.scanLine(y));
                for (int x = 0; x < glyph.width(); ++x)
                    if (line[x] == transparent)
                        line[x] = 0;
            }
            icon = QIcon(QPixmap::fromImage(glyph));
        }
        const QString caption = withAccessKey(item->m_caption, taken);
        if (!item->m_items.isEmpty()) {
            auto *sub = new QMenu(caption, menu);
            sub->setStyle(menuStyle());
            sub->setObjectName(item->Name());
            sub->setIcon(icon);
            item->fillMenu(sub);
            if (qmenu)
                qmenu->addMenu(sub);
            else if (bar)
                bar->addMenu(sub);
            continue;
        }
        // The shortcut is shown beside the caption only: the key itself is
        // handled by the window's shortcut search, so it works while the menu
        // is closed and does nothing while a menu is open.
        QString text = caption;
        if (!item->m_shortCut.isEmpty())
            text += u'\t' + shortCutToText(item->m_shortCut);
        auto *action = new QAction(icon, text, menu);
        action->setEnabled(item->m_enabled);
        action->setObjectName(item->Name());
        action->setData(QVariant::fromValue<QObject *>(item));
        menu->addAction(action);
    }
}

TMenu::TMenu(TComponent *owner) : TComponent(owner), m_items(new TMenuItem(nullptr))
{
    m_items->setParent(this);
}

bool TMenu::insertChild(TComponent *child)
{
    return m_items->insertChild(child);
}

bool TMenu::IsShortCut(const QKeySequence &key)
{
    TMenuItem *item = m_items->FindShortCut(key);
    if (!item)
        return false;
    // Parents are clicked first, from the top of the menu down.
    QList<TMenuItem *> chain;
    for (TMenuItem *p = item->ParentItem(); p && p != m_items; p = p->ParentItem())
        chain.prepend(p);
    for (TMenuItem *p : std::as_const(chain))
        p->Click();
    item->Click();
    return true;
}

void TPopupMenu::Popup(QPoint globalPos)
{
    QMenu menu;
    menu.setStyle(menuStyle());
    menu.setObjectName(Name());
    Items()->fillMenu(&menu);
    QAction *chosen = menu.exec(globalPos);
    // The chosen item's handler runs after the menu has closed.
    if (chosen)
        if (auto *item = qobject_cast<TMenuItem *>(chosen->data().value<QObject *>()))
            item->Click();
}

void TMainMenu::fillMenuBar(QMenuBar *bar)
{
    Items()->fillMenu(bar);
    QObject::connect(bar, &QMenuBar::triggered, bar, [](QAction *action) {
        QPointer<TMenuItem> item = qobject_cast<TMenuItem *>(action->data().value<QObject *>());
        if (item)
            Application->dispatch([&] { item->Click(); });
    });
}
