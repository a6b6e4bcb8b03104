// TForm: a top-level window built from its stored form description.
#pragma once

#include "platform/controls.h"

#include <QEventLoop>
#include <QPointer>

#include "platform/menus.h"


class QMenuBar;
class QVBoxLayout;

class TForm : public TWinControl
{
    Q_OBJECT
    Q_PROPERTY(QString Caption READ Caption WRITE setCaption)
    Q_PROPERTY(int ClientWidth READ ClientWidth WRITE setClientWidth)
    Q_PROPERTY(int ClientHeight READ ClientHeight WRITE setClientHeight)
    Q_PROPERTY(TBorderStyle BorderStyle READ BorderStyle WRITE setBorderStyle)
    Q_PROPERTY(TPosition Position READ Position WRITE setPosition)
    Q_PROPERTY(TMainMenu *Menu READ Menu WRITE setMenu)
    Q_PROPERTY(int PixelsPerInch MEMBER m_pixelsPerInch)
    Q_PROPERTY(int TextHeight MEMBER m_textHeight)
    Q_PROPERTY(int ModalResult READ ModalResult WRITE setModalResult)
    Q_PROPERTY(TWinControl *ActiveControl READ ActiveControl WRITE setActiveControl)

public:
    enum TBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
    Q_ENUM(TBorderStyle)
    enum TPosition { poDesigned, poDefault, poDefaultPosOnly, poDefaultSizeOnly, poScreenCenter,
                     poDesktopCenter, poMainFormCenter, poOwnerFormCenter };
    Q_ENUM(TPosition)

    // `description` names the stored form description (a resource path).
    explicit TForm(const QString &description, TComponent *owner = nullptr);
    ~TForm() override;

    // Builds the form's components from its description; raises EReadError.
    void loadDescription();
    QString descriptionPath() const { return m_description; }

    void setCaption(const QString &caption) override;
    int ClientWidth() const { return m_clientSize.width(); }
    int ClientHeight() const { return m_clientSize.height(); }
    void setClientWidth(int w);
    void setClientHeight(int h);
    TBorderStyle BorderStyle() const { return m_borderStyle; }
    void setBorderStyle(TBorderStyle style);
    TPosition Position() const { return m_position; }
    void setPosition(TPosition position) { m_position = position; }
    TMainMenu *Menu() const { return m_menu; }
    void setMenu(TMainMenu *menu);
    int ModalResult() const { return m_modalResult; }
    // The control that has the focus at the window's first showing.
    TWinControl *ActiveControl() const { return m_activeControl; }
    void setActiveControl(TWinControl *c) { m_activeControl = c; }
    void setModalResult(int result);

    void setVisible(bool visible) override;
    // Shows the window and runs a nested event loop until it is closed; the
    // window is hidden again afterwards.
    int ShowModal();
    void Close();
    // The move request: the window follows the pointer until the left button is
    // released, as after a press on a caption bar; returns when the move ends.
    // Without the left button held there is nothing to follow.
    void SendMoveRequest();
    bool isModal() const { return m_modalLoop != nullptr; }

    // The top-level window: the client area itself, or the frame that holds a menu bar above it.
    QWidget *window() const;
    static TForm *formOf(QWidget *window);

    QByteArray eventSignature(const QByteArray &event) const override;
    void Loaded() override;

    // Run by the application once the form is built (OnCreate).
    void DoCreate();

protected:
    void applyGeometry() override;

private:
    void updateWindowTitle();
    void updateWindowFlags();
    void makeMenuFrame();
    bool windowEvent(QEvent *event);
    friend class FormWindow;
    friend class FormFrame;

    QString m_description;
    QSize m_clientSize;
    TBorderStyle m_borderStyle = bsSizeable;
    TPosition m_position = poDesigned;
    QPointer<TMainMenu> m_menu;
    QPointer<TWinControl> m_activeControl;
    QWidget *m_frame = nullptr;     // holds the menu bar and the client area
    QMenuBar *m_menuBar = nullptr;
    int m_pixelsPerInch = 96;
    int m_textHeight = 13;
    int m_modalResult = 0;
    QEventLoop *m_modalLoop = nullptr;
    bool m_activatePending = false;
    bool m_placed = false;
};
