// TOpenDialog: the file-open dialog with a title, a filter, a default extension and options.
#pragma once

#include "platform/classes.h"

#include <QStringList>

class QFileDialog;

class TOpenDialog : public TComponent
{
    Q_OBJECT
    Q_PROPERTY(QString Title MEMBER m_title)
    Q_PROPERTY(QString Filter MEMBER m_filter)
    Q_PROPERTY(QString DefaultExt MEMBER m_defaultExt)
    Q_PROPERTY(QString FileName READ FileName WRITE setFileName)
    Q_PROPERTY(QString InitialDir MEMBER m_initialDir)
    Q_PROPERTY(TOpenOptions Options READ Options WRITE setOptions)

public:
    enum TOpenOption {
        ofReadOnly = 0x1, ofOverwritePrompt = 0x2, ofHideReadOnly = 0x4, ofNoChangeDir = 0x8,
        ofShowHelp = 0x10, ofNoValidate = 0x20, ofAllowMultiSelect = 0x40, ofExtensionDifferent = 0x80,
        ofPathMustExist = 0x100, ofFileMustExist = 0x200, ofCreatePrompt = 0x400, ofShareAware = 0x800,
        ofNoReadOnlyReturn = 0x1000, ofNoTestFileCreate = 0x2000, ofNoNetworkButton = 0x4000,
        ofNoLongNames = 0x8000, ofOldStyleDialog = 0x10000, ofNoDereferenceLinks = 0x20000,
        ofEnableIncludeNotify = 0x40000, ofEnableSizing = 0x80000
    };
    Q_DECLARE_FLAGS(TOpenOptions, TOpenOption)
    Q_FLAG(TOpenOptions)

    using TComponent::TComponent;

    QString FileName() const { return m_fileName; }
    void setFileName(const QString &name) { m_fileName = name; }
    TOpenOptions Options() const { return m_options; }
    void setOptions(TOpenOptions options) { m_options = options; }
    QString Title() const { return m_title; }
    QString Filter() const { return m_filter; }
    QString DefaultExt() const { return m_defaultExt; }

    // Shows the dialog modally; true when the user took a file, whose full path
    // is then FileName. Cancelling changes nothing.
    bool Execute();
    // The dialog while Execute runs, for tests.
    QFileDialog *activeDialog() const { return m_active; }
    // The Qt name filters for the "Name|pattern;pattern|..." filter text.
    static QStringList nameFilters(const QString &filter);

private:
    QString m_title, m_filter, m_defaultExt, m_fileName, m_initialDir;
    TOpenOptions m_options = TOpenOptions(ofHideReadOnly) | ofEnableSizing;
    QFileDialog *m_active = nullptr;
};
Q_DECLARE_OPERATORS_FOR_FLAGS(TOpenDialog::TOpenOptions)
