#include "kit/foundation/panels/OpenPanel.h"

#include "kit/foundation/errors/ErrorPresentation.h"
#include "kit/foundation/panels/PanelDirectory.h"

#include <QFileSystemModel>
#include <QGridLayout>
#include <QLabel>
#include <QSortFilterProxyModel>

namespace {

// Greys out the items the delegate refuses; the file-system model stays as it is.
class EnablingProxyModel : public QSortFilterProxyModel
{
public:
    EnablingProxyModel(const OpenPanel *panel, QObject *parent)
        : QSortFilterProxyModel(parent)
        , m_panel(panel)
    { }

    Qt::ItemFlags flags(const QModelIndex &index) const override
    {
        Qt::ItemFlags flags = QSortFilterProxyModel::flags(index);
        const QString path = index.data(QFileSystemModel::FilePathRole).toString();
        if (!path.isEmpty() && !m_panel->isUrlEnabled(QUrl::fromLocalFile(path))) {
            flags &= ~(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        }
        return flags;
    }

private:
    const OpenPanel *m_panel;
};

} // namespace

OpenPanel::OpenPanel(QWidget *parent)
    : QFileDialog(parent)
{
    setOption(QFileDialog::DontUseNativeDialog, true);
    setDirectory(panelDirectory());
    m_enabling = new EnablingProxyModel(this, this);
    setProxyModel(m_enabling);
}

void OpenPanel::setDelegate(std::shared_ptr<OpenPanelDelegate> delegate)
{
    m_delegate = std::move(delegate);
    m_enabling->invalidate();
}

void OpenPanel::setMessage(const QString &message)
{
    if (!m_message) {
        m_message = new QLabel(this);
        m_message->setWordWrap(true);
        if (auto *grid = qobject_cast<QGridLayout *>(layout())) {
            grid->addWidget(m_message, grid->rowCount(), 0, 1, grid->columnCount());
        }
    }
    m_message->setText(message);
    m_message->setVisible(!message.isEmpty());
}

QString OpenPanel::message() const
{
    return m_message ? m_message->text() : QString();
}

void OpenPanel::setPrompt(const QString &prompt)
{
    setLabelText(QFileDialog::Accept, prompt);
}

bool OpenPanel::isUrlEnabled(const QUrl &url) const
{
    return !m_delegate || m_delegate->shouldEnableUrl(url);
}

void OpenPanel::accept()
{
    if (m_delegate) {
        for (const QUrl &url : selectedUrls()) {
            if (!m_delegate->shouldEnableUrl(url)) {
                return;
            }
            if (const ErrorPtr refusal = m_delegate->validateUrl(url)) {
                presentAsSheet(*refusal, this);
                return;
            }
        }
    }
    QFileDialog::accept();
}
