// TOpenDialog over Qt's own file dialog.
#include "platform/dialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>

using namespace Qt::StringLiterals;

QStringList TOpenDialog::nameFilters(const QString &filter)
{
    const QStringList parts = filter.split(u'|');
    QStringList out;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2)
        out << u"%1 (%2)"_s.arg(parts[i], QString(parts[i + 1]).replace(u';', u' '));
    return out;
}

bool TOpenDialog::Execute()
{
    QFileDialog dialog(QApplication::activeWindow(), m_title);
    // Qt's own dialog: the same on every desktop, and driven by keyboard alone.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode((m_options & ofFileMustExist) ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::ReadOnly, false);
    dialog.setNameFilters(nameFilters(m_filter));
    dialog.setDefaultSuffix(m_defaultExt);
    dialog.setSizeGripEnabled(bool(m_options & ofEnableSizing));
    if (!m_initialDir.isEmpty())
        dialog.setDirectory(m_initialDir);
    const QFileInfo current(m_fileName);
    if (!m_fileName.isEmpty() && current.isAbsolute() && current.dir().exists())
        dialog.setDirectory(current.dir());
    // The name box starts with the current name, as it stands (a single space too).
    dialog.selectFile(m_fileName);
    dialog.setWindowModality(Qt::ApplicationModal);
    m_active = &dialog;
    const bool taken = dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty();
    m_active = nullptr;
    if (!taken)
        return false;
    m_fileName = QDir::toNativeSeparators(dialog.selectedFiles().first());
    return true;
}
