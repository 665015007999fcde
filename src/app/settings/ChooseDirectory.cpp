#include "app/settings/ChooseDirectory.h"

#include "app/settings/DirectoryPicker.h"
#include "app/settings/SettingsTexts.h"
#include "app/settings/WritabilityProbe.h"
#include "kit/foundation/errors/GeneralError.h"
#include "kit/foundation/files/FileLocations.h"
#include "kit/foundation/files/ResourceValues.h"
#include "kit/foundation/text/StringHelpers.h"
#include "kit/services/ErrorAlert.h"
#include "kit/ui/Buttons.h"
#include "kit/ui/UrlIcon.h"
#include "kit/ui/WindowAccessor.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QMimeData>
#include <QPointer>
#include <QPushButton>

namespace {

constexpr int iconSide = 18;

QString pathWithoutTrailingSlash(const QUrl &url)
{
    QString path = url.toLocalFile();
    while (path.size() > 1 && path.endsWith(QLatin1Char('/'))) {
        path.chop(1);
    }
    return path;
}

} // namespace

ChooseDirectory::ChooseDirectory(
    Binding<Directory> directory, QString panelMessage, int maxWidth, QWidget *parent)
    : QWidget(parent)
    , m_directory(std::move(directory))
    , m_panelMessage(std::move(panelMessage))
    , m_maxWidth(maxWidth)
    , m_clear(new CloseOrClearButton(
          SettingsTexts::clear, [this] { setDirectory(std::nullopt); }, this))
    , m_choose(new QPushButton(this))
    , m_errorAlert(new ErrorAlert(this))
{
    m_clear->setToolTip(SettingsTexts::clear);
    m_clear->setAccessibleName(SettingsTexts::clear);
    // Hidden without a directory, yet holding its place so the button does not jump.
    QSizePolicy clearPolicy = m_clear->sizePolicy();
    clearPolicy.setRetainSizeWhenHidden(true);
    m_clear->setSizePolicy(clearPolicy);

    m_choose->setIconSize(QSize(iconSide, iconSide));
    m_choose->setMinimumHeight(iconSide);
    m_choose->setAcceptDrops(true);
    m_choose->installEventFilter(this);
    connect(m_choose, &QPushButton::clicked, this, [this] { choose(); });

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);
    layout->addWidget(m_clear, 0, Qt::AlignVCenter);
    layout->addWidget(m_choose, 0, Qt::AlignVCenter);

    m_observation = m_directory.watch([this] { refresh(); });
    refresh();
}

ChooseDirectory::~ChooseDirectory() = default;

std::optional<QUrl> ChooseDirectory::currentLocation() const
{
    const Directory directory = m_directory.value();
    return directory ? directory->resolvedURL() : std::nullopt;
}

ErrorPtr ChooseDirectory::shownError() const
{
    return m_errorAlert->error();
}

QString ChooseDirectory::displayName(const QUrl &location)
{
    const QString path = location.toLocalFile();
    const QFileInfo info(pathWithoutTrailingSlash(location));
    if (path.endsWith(QLatin1Char('/'))) {
        return info.fileName().isEmpty() ? QStringLiteral("/") : info.fileName();
    }
    const QFileInfo parent(info.absolutePath());
    return parent.fileName().isEmpty() ? QStringLiteral("/") : parent.fileName();
}

QString ChooseDirectory::tooltip(const std::optional<QUrl> &location)
{
    return location ? abbreviatingHome(pathWithoutTrailingSlash(*location)) : QString();
}

void ChooseDirectory::refresh()
{
    const std::optional<QUrl> location = currentLocation();
    m_clear->setVisible(location.has_value());
    m_choose->setToolTip(tooltip(location));
    if (!location) {
        m_choose->setIcon(QIcon());
        m_choose->setText(SettingsTexts::choose);
        return;
    }
    m_choose->setIcon(UrlIcon::iconFor(*location));
    const QString name
        = m_choose->fontMetrics().elidedText(displayName(*location), Qt::ElideRight, m_maxWidth);
    m_choose->setText(withLiteralAmpersands(name));
}

void ChooseDirectory::showError(ErrorPtr error)
{
    m_errorAlert->setError(std::move(error));
}

bool ChooseDirectory::drop(const QList<QUrl> &urls)
{
    if (urls.isEmpty()) {
        return false;
    }
    const QUrl &first = urls.first();
    // Its path would not name the dropped directory, so it cannot be told to be one.
    if (ErrorPtr refusal = WritabilityProbe::checkName(first)) {
        showError(std::move(refusal));
        return false;
    }
    if (resourceValueBool(first, URLResourceKey::isDirectory)
        && !resourceValueBool(first, URLResourceKey::isPackage)) {
        setLocation(first);
        return true;
    }
    showError(std::make_shared<GeneralError>(SettingsTexts::notADirectory));
    return false;
}

void ChooseDirectory::setLocation(const QUrl &url)
{
    if (ErrorPtr refusal = WritabilityProbe::check(url)) {
        showError(std::move(refusal));
        return;
    }
    try {
        setDirectory(SandboxURLBookmark::fromURL(url));
    } catch (const Error &error) {
        showError(error.clone());
    }
}

void ChooseDirectory::setDirectory(const Directory &directory)
{
    m_directory.setValue(directory);
    // The binding tells of the change only on a later turn of the event loop.
    refresh();
}

QCoro::Task<> ChooseDirectory::choose()
{
    QPointer<ChooseDirectory> self(this);
    DirectoryPicker::Options options;
    options.parentWindow = WindowAccessor::hostingWindow(this);
    options.message = m_panelMessage;
    // Where recordings go now, so that a folder beside it is a step away.
    options.directoryURL = currentLocation();
    options.canCreateDirectories = true;
    const std::optional<QUrl> url = co_await DirectoryPicker::pickDirectory(std::move(options));
    if (self && url) {
        self->setLocation(*url);
    }
}

bool ChooseDirectory::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_choose) {
        if (event->type() == QEvent::DragEnter) {
            auto *enter = static_cast<QDragEnterEvent *>(event);
            if (enter->mimeData()->hasUrls()) {
                enter->acceptProposedAction();
            }
            return true;
        }
        if (event->type() == QEvent::Drop) {
            auto *dropEvent = static_cast<QDropEvent *>(event);
            if (drop(dropEvent->mimeData()->urls())) {
                dropEvent->acceptProposedAction();
            } else {
                dropEvent->ignore();
            }
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
