#include "recording/RecordingSavePanel.h"

#include "recording/RecordingTexts.h"

#include "kit/foundation/errors/ErrorPresentation.h"
#include "kit/foundation/errors/GeneralError.h"
#include "kit/foundation/files/UniqueTemporaryDirectories.h"

#include <QFileInfo>
#include <QLineEdit>

RecordingSavePanel::RecordingSavePanel(const QUrl &recording, const QString &directory)
    : QFileDialog(nullptr, RecordingTexts::savePanelTitle(), directory)
    , m_extension(QFileInfo(recording.toLocalFile()).suffix())
{
    // The name is completed in accept(), which a desktop's own dialog would not call.
    setOption(QFileDialog::DontUseNativeDialog, true);
    setAcceptMode(QFileDialog::AcceptSave);
    setFileMode(QFileDialog::AnyFile);
    const bool wav = m_extension.compare(QLatin1String("wav"), Qt::CaseInsensitive) == 0;
    setNameFilter(wav ? RecordingTexts::wavFilter() : RecordingTexts::m4aFilter());
    setDefaultSuffix(m_extension);
    selectFile(QFileInfo(recording.toLocalFile()).fileName());
}

QString RecordingSavePanel::withExtension(const QString &path, const QString &extension)
{
    if (extension.isEmpty() || QFileInfo(path).suffix().compare(extension, Qt::CaseInsensitive) == 0) {
        return path;
    }
    return path.endsWith(u'.') ? path + extension : path + u'.' + extension;
}

void RecordingSavePanel::accept()
{
    // Completed where the user typed it, before the dialog looks for a file to replace: the
    // question must be about the file that will be written.
    auto *nameField = findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
    const QStringList chosen = selectedFiles();
    const bool file = chosen.size() == 1 && !QFileInfo(chosen.first()).isDir();
    if (nameField && file && !nameField->text().isEmpty()) {
        nameField->setText(withExtension(nameField->text(), m_extension));
    }
    // What is kept in the program's temporary folders is removed in time, the recording with it. The
    // panel stays open for another place, and the recording stays where it is until then.
    if (file && UniqueTemporaryDirectories::isInside(chosen.first())) {
        presentAsSheet(GeneralError(RecordingTexts::temporaryFolder(QFileInfo(chosen.first()).path()),
                           RecordingTexts::temporaryFolderSuggestion()),
            this);
        return;
    }
    QFileDialog::accept();
}
