// The standard components: picture box, label, panel, timer; and their registration.
#include "platform/stdctrls.h"

#include "platform/application.h"
#include "platform/dialogs.h"
#include "platform/gauges.h"
#include "platform/graphics.h"
#include "platform/mplayer.h"
#include "platform/webbrowser.h"
#include "platform/forms.h"
#include "platform/menus.h"

#include <QFontMetrics>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QPainter>
#include <QTimer>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

void TImage::setPicture(const QImage &picture)
{
    m_picture = picture;
    // The whole box, also the part the new picture no longer covers.
    Invalidate();
}

void TImage::Paint(QPainter &painter)
{
    if (!m_picture.isNull())
        painter.drawImage(QPoint(0, 0), TPicture::forScale(m_picture, paintScale(painter)));
}

TLabel::TLabel(TComponent *owner) : TGraphicControl(owner) {}

void TLabel::setWordWrap(bool v)
{
    m_wordWrap = v;
    adjustBounds();
}

void TLabel::setAutoSize(bool v)
{
    m_autoSize = v;
    adjustBounds();
}

void TLabel::setCaption(const QString &caption)
{
    TControl::setCaption(caption);
    adjustBounds();
}

void TLabel::fontChanged()
{
    adjustBounds();
    Invalidate();
}

bool TLabel::windowShown() const
{
    return Parent() && Parent()->widget() && Parent()->widget()->window()->isVisible();
}

void TLabel::BeforeShow()
{
    if (m_sizePending) {
        m_sizePending = false;
        adjustBounds();
    }
}

void TLabel::adjustBounds()
{
    if (!m_autoSize)
        return;
    if (!windowShown()) {
        m_sizePending = true;
        return;
    }
    const QFontMetrics fm(Font()->qfont());
    QRect r;
    if (m_wordWrap && Width() > 0)
        r = fm.boundingRect(QRect(0, 0, Width(), 100000), Qt::TextWordWrap, Caption());
    else
        r = fm.boundingRect(QRect(0, 0, 100000, 100000), 0, Caption());
    const int w = m_wordWrap ? Width() : r.width();
    SetBounds(Left(), Top(), w, qMax(r.height(), fm.height()));
}

void TLabel::Paint(QPainter &painter)
{
    const QRect box(QPoint(0, 0), BoundsRect().size());
    if (!m_transparent && Parent())
        painter.fillRect(box, Parent()->Color());
    painter.setFont(Font()->qfont());
    painter.setPen(Font()->Color());
    painter.drawText(box, Qt::AlignLeft | Qt::AlignTop | (m_wordWrap ? Qt::TextWordWrap : 0), Caption());
}

TPanel::TPanel(TComponent *owner) : TWinControl(owner)
{
    setWidget(new ControlHost(this));
}

void TPanel::paintClient(QPainter &painter, const QRect &dirty)
{
    TWinControl::paintClient(painter, dirty);
    const QRect r = widget()->rect().adjusted(0, 0, -1, -1);
    auto bevel = [&](TBevelCut cut, QRect rect) {
        if (cut != bvLowered && cut != bvRaised)
            return;
        const QPalette pal = widget()->palette();
        const QColor topLeft = cut == bvLowered ? pal.color(QPalette::Mid) : pal.color(QPalette::Light);
        const QColor bottomRight = cut == bvLowered ? pal.color(QPalette::Light) : pal.color(QPalette::Mid);
        painter.setPen(topLeft);
        painter.drawLine(rect.topLeft(), rect.topRight());
        painter.drawLine(rect.topLeft(), rect.bottomLeft());
        painter.setPen(bottomRight);
        painter.drawLine(rect.bottomLeft(), rect.bottomRight());
        painter.drawLine(rect.topRight(), rect.bottomRight());
    };
    painter.setClipping(false);
    bevel(m_outer, r);
    bevel(m_inner, r.adjusted(1, 1, -1, -1));
}

QWidget *makeControlBox()
{
    auto *box = new QWidget;
    auto *layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    return box;
}

// Puts `control` into the box of `owner` as its real widget.
static void adopt(TWinControl *owner, QWidget *control)
{
    QWidget *box = owner->widget();
    control->setObjectName(owner->Name());
    control->setParent(box);
    box->layout()->addWidget(control);
    box->setFocusProxy(control);
    control->setFocusPolicy(box->focusPolicy());
    control->show();
}

// --- TMemo ---------------------------------------------------------------------

TMemo::TMemo(TComponent *owner) : TWinControl(owner)
{
    setWidget(makeControlBox());
    setTabStop(true);
}

QPlainTextEdit *TMemo::edit()
{
    if (!m_edit) {
        m_edit = new QPlainTextEdit;
        m_edit->setFrameShape(QFrame::StyledPanel);
        m_edit->setTabChangesFocus(true);
        adopt(this, m_edit);
        m_edit->setPlainText(m_lines.join(u'\n'));
        apply();
        setColor(Color());
    }
    return m_edit;
}

void TMemo::BeforeShow()
{
    edit();
}

QStringList TMemo::Lines() const
{
    return m_edit ? m_edit->toPlainText().split(u'\n') : m_lines;
}

void TMemo::setLines(const QStringList &lines)
{
    m_lines = lines;
    if (m_edit)
        m_edit->setPlainText(lines.join(u'\n'));
}

void TMemo::setReadOnly(bool v)
{
    m_readOnly = v;
    apply();
}

void TMemo::setWordWrap(bool v)
{
    m_wordWrap = v;
    apply();
}

void TMemo::setScrollBars(TScrollStyle v)
{
    m_scrollBars = v;
    apply();
}

void TMemo::apply()
{
    if (!m_edit)
        return;
    // Read-only text can still be selected and copied, by mouse and keyboard.
    m_edit->setReadOnly(m_readOnly);
    m_edit->setTextInteractionFlags(m_readOnly ? Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard
                                               : Qt::TextEditorInteraction);
    m_edit->setLineWrapMode(m_wordWrap ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
    const bool h = m_scrollBars == ssHorizontal || m_scrollBars == ssBoth;
    const bool v = m_scrollBars == ssVertical || m_scrollBars == ssBoth;
    m_edit->setHorizontalScrollBarPolicy(h ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    m_edit->setVerticalScrollBarPolicy(v ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
}

void TMemo::setColor(const QColor &color)
{
    TControl::setColor(color);
    if (!m_edit)
        return;
    QPalette pal = m_edit->palette();
    pal.setColor(QPalette::Base, color);
    m_edit->setPalette(pal);
}

// --- TButton -------------------------------------------------------------------

TButton::TButton(TComponent *owner) : TWinControl(owner)
{
    setWidget(makeControlBox());
    setTabStop(true);
}

QPushButton *TButton::button()
{
    if (!m_button) {
        m_button = new QPushButton;
        // A focused button takes Return and Enter as well as Space.
        m_button->setAutoDefault(true);
        m_button->setDefault(m_default);
        m_button->setText(QString(Caption()).replace(u'&', u"&&"_s));
        connect(m_button, &QPushButton::clicked, this, [this] { Application->dispatch([this] { Click(); }); });
        adopt(this, m_button);
    }
    return m_button;
}

void TButton::setDefault(bool v)
{
    m_default = v;
    if (m_button)
        m_button->setDefault(v);
}

void TButton::setCaption(const QString &caption)
{
    TControl::setCaption(caption);
    if (m_button)
        m_button->setText(QString(caption).replace(u'&', u"&&"_s));
}

void TButton::Click()
{
    // The modal result first: the window closes once the handler has run.
    TForm *form = nullptr;
    for (TWinControl *p = Parent(); p && !form; p = p->Parent())
        form = qobject_cast<TForm *>(p);
    TControl::Click();
    if (form && m_modalResult != mrNone)
        form->setModalResult(m_modalResult);
}

// --- TEdit ---------------------------------------------------------------------

TEdit::TEdit(TComponent *owner) : TWinControl(owner)
{
    setWidget(makeControlBox());
    setTabStop(true);
}

QLineEdit *TEdit::edit()
{
    if (!m_edit) {
        m_edit = new QLineEdit(m_text);
        connect(m_edit, &QLineEdit::textChanged, this, [this](const QString &t) { m_text = t; });
        adopt(this, m_edit);
    }
    return m_edit;
}

QString TEdit::Text() const
{
    return m_text;
}

void TEdit::setText(const QString &text)
{
    m_text = text;
    if (m_edit)
        m_edit->setText(text);
}

// --- TStatusBar ----------------------------------------------------------------

TStatusBar::TStatusBar(TComponent *owner) : TWinControl(owner)
{
    setWidget(makeControlBox());
}

QStatusBar *TStatusBar::bar()
{
    if (!m_bar) {
        m_bar = new QStatusBar;
        m_bar->setSizeGripEnabled(false);
        m_bar->showMessage(m_text);
        adopt(this, m_bar);
    }
    return m_bar;
}

void TStatusBar::setSimpleText(const QString &text)
{
    m_text = text;
    if (m_bar)
        m_bar->showMessage(text);
}

TTimer::TTimer(TComponent *owner) : TComponent(owner), m_timer(new QTimer(this))
{
    m_timer->setTimerType(Qt::PreciseTimer);
    connect(m_timer, &QTimer::timeout, this, [this] {
        Application->dispatch([this] { fire("OnTimer"); });
    });
}

void TTimer::setEnabled(bool enabled)
{
    if (m_enabled == enabled)
        return;
    m_enabled = enabled;
    update();
}

void TTimer::setInterval(int interval)
{
    if (m_interval == interval)
        return;
    m_interval = interval;
    if (m_timer->isActive())
        m_timer->stop();
    update();
}

void TTimer::update()
{
    // Only a form that is fully read runs its timers.
    const bool run = m_enabled && m_interval > 0 && hasHandler("OnTimer");
    if (!run) {
        m_timer->stop();
    } else if (!m_timer->isActive()) {
        m_timer->start(m_interval);
    }
}

QByteArray TTimer::eventSignature(const QByteArray &event) const
{
    return event == "OnTimer" ? kNotifySignature : TComponent::eventSignature(event);
}

void registerStandardComponents()
{
    ComponentRegistry::add<TImage>(u"TImage"_s);
    ComponentRegistry::add<TLabel>(u"TLabel"_s);
    ComponentRegistry::add<TPanel>(u"TPanel"_s);
    ComponentRegistry::add<TTimer>(u"TTimer"_s);
    ComponentRegistry::add<TGauge>(u"TGauge"_s);
    ComponentRegistry::add<TOpenDialog>(u"TOpenDialog"_s);
    ComponentRegistry::add<TMediaPlayer>(u"TMediaPlayer"_s);
    ComponentRegistry::add<TMemo>(u"TMemo"_s);
    ComponentRegistry::add<TButton>(u"TButton"_s);
    ComponentRegistry::add<TEdit>(u"TEdit"_s);
    ComponentRegistry::add<TStatusBar>(u"TStatusBar"_s);
    ComponentRegistry::add<TWebBrowser>(u"TWebBrowser"_s);
    ComponentRegistry::add<TPopupMenu>(u"TPopupMenu"_s);
    ComponentRegistry::add<TMainMenu>(u"TMainMenu"_s);
    ComponentRegistry::add<TMenuItem>(u"TMenuItem"_s);
}
