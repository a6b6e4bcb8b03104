// TMediaPlayer: the media device component and its classic button bar.
#pragma once

#include "platform/controls.h"
#include "platform/mediadevice.h"

class MediaPlayerBar;

class TMediaPlayer : public TWinControl
{
    Q_OBJECT
    Q_PROPERTY(bool AutoOpen MEMBER m_autoOpen)
    Q_PROPERTY(bool AutoEnable READ AutoEnable WRITE setAutoEnable)
    Q_PROPERTY(bool AutoRewind MEMBER m_autoRewind)
    Q_PROPERTY(bool Shareable MEMBER m_shareable)
    Q_PROPERTY(TMPDeviceTypes DeviceType MEMBER m_deviceType)
    Q_PROPERTY(QString FileName READ FileName WRITE setFileName)
    Q_PROPERTY(TButtonSet VisibleButtons READ VisibleButtons WRITE setVisibleButtons)
    Q_PROPERTY(TButtonSet EnabledButtons READ EnabledButtons WRITE setEnabledButtons)
    Q_PROPERTY(TButtonSet ColoredButtons READ ColoredButtons WRITE setColoredButtons)

public:
    enum TMPBtnType { btPlay = 0x1, btPause = 0x2, btStop = 0x4, btNext = 0x8, btPrev = 0x10,
                      btStep = 0x20, btBack = 0x40, btRecord = 0x80, btEject = 0x100 };
    Q_DECLARE_FLAGS(TButtonSet, TMPBtnType)
    Q_FLAG(TButtonSet)
    enum TMPDeviceTypes { dtAutoSelect, dtAVIVideo, dtCDAudio, dtDAT, dtDigitalVideo, dtMMMovie,
                          dtOther, dtOverlay, dtScanner, dtSequencer, dtVCR, dtVideodisc, dtWaveAudio };
    Q_ENUM(TMPDeviceTypes)
    using TMPModes = MediaDevice::Mode;

    explicit TMediaPlayer(TComponent *owner = nullptr);
    ~TMediaPlayer() override;

    QString FileName() const { return m_fileName; }
    void setFileName(const QString &name) { m_fileName = name; }
    bool AutoEnable() const { return m_autoEnable; }
    void setAutoEnable(bool v) { m_autoEnable = v; }
    bool AutoRewind() const { return m_autoRewind; }
    TButtonSet VisibleButtons() const { return m_visibleButtons; }
    void setVisibleButtons(TButtonSet set);
    TButtonSet EnabledButtons() const { return m_enabledButtons; }
    void setEnabledButtons(TButtonSet set);
    TButtonSet ColoredButtons() const { return m_coloredButtons; }
    void setColoredButtons(TButtonSet set);

    // Closes any open device, then opens FileName (blocking). Raises EMCIDeviceError.
    void Open();
    void Close();
    // The operations below raise EMCIDeviceError "No MCI device open" without a
    // device; the device's refusals raise nothing.
    int Length() const;
    // Does not check for a device: 0 when none is open.
    int Position() const;
    TMPModes Mode() const;
    // Plays from the position; with AutoRewind a medium at its end starts over.
    void Play();
    // Playing: pauses. Paused: resumes, or plays when the device refuses to resume.
    void Pause();
    void Resume();
    // Stops where it is; the position stays.
    void Stop();
    // Moves to the end of the medium; playback stops.
    void Next();
    // Moves to the start of the medium; playback stops.
    void Previous();

    // A press of one of the bar's buttons, as a click or Space performs it.
    void ClickButton(TMPBtnType button);
    MediaDevice *device() const { return m_device; }
    MediaPlayerBar *bar() const { return m_bar; }

private:
    void requireOpen() const;
    void setButtonEnabled(TMPBtnType button, bool on);
    void deviceNotified(MediaDevice::NotifyValue value);

    MediaDevice *m_device;
    MediaPlayerBar *m_bar;
    QString m_fileName;
    bool m_autoOpen = false, m_autoEnable = true, m_autoRewind = true, m_shareable = false;
    TMPDeviceTypes m_deviceType = dtAutoSelect;
    TButtonSet m_visibleButtons = TButtonSet(0x1FF);
    TButtonSet m_enabledButtons = TButtonSet(0x1FF);
    TButtonSet m_coloredButtons = TButtonSet(0x1FF);
    // The buttons the bar enables by itself from the device's state.
    TButtonSet m_autoEnabled;
    bool m_everOpened = false;
    friend class MediaPlayerBar;
};
Q_DECLARE_OPERATORS_FOR_FLAGS(TMediaPlayer::TButtonSet)

// The classic button bar: one button per visible operation, 29 px wide, a new
// one every 28 px, drawn sunken while pressed, with a dotted focus rectangle.
class MediaPlayerBar : public QWidget
{
    Q_OBJECT
public:
    explicit MediaPlayerBar(TMediaPlayer *player);
    // The visible buttons, left to right.
    QList<TMediaPlayer::TMPBtnType> buttons() const;
    QRect buttonRect(int index) const;
    bool isButtonEnabled(TMediaPlayer::TMPBtnType button) const;
    int focusIndex() const { return m_focus; }
    int pressedIndex() const { return m_pressed; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    int indexAt(QPoint pos) const;
    void drawGlyph(QPainter &p, TMediaPlayer::TMPBtnType button, const QRect &r, bool enabled, bool colored) const;

    TMediaPlayer *m_player;
    int m_focus = 0;
    int m_pressed = -1;     // the button held down with the left button
    bool m_pressedDown = false; // drawn sunken: the pointer is over the held button
};
