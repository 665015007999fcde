#include "app/ProductPages.h"

#include "app/AppLogging.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

QUrl pageOrSection(const QString &address, const QUrl &helpPage, const QString &section)
{
    if (!address.isEmpty()) {
        return QUrl(address);
    }
    QUrl page = helpPage;
    page.setFragment(section);
    return page;
}

QString installedHelpPage(const QString &programDirectory)
{
    return QDir::cleanPath(QDir(programDirectory)
                               .filePath(QStringLiteral(TAPEWICK_DATA_FROM_BIN "/")
                                   + QString::fromLatin1(ProductPages::helpPageName)));
}

} // namespace

namespace ProductPages {

std::optional<QString> helpPagePath(const QString &programDirectory)
{
    const QString dataFolderPage = QStringLiteral("tapewick/") + QString::fromLatin1(helpPageName);
    for (const QString &candidate : { QDir(programDirectory).filePath(QString::fromLatin1(helpPageName)),
             installedHelpPage(programDirectory),
             QStandardPaths::locate(QStandardPaths::GenericDataLocation, dataFolderPage) }) {
        if (!candidate.isEmpty() && QFileInfo(candidate).isFile()) {
            return QFileInfo(candidate).absoluteFilePath();
        }
    }
    return std::nullopt;
}

KwKit::Metadata metadata(const QUrl &helpPage, const QString &feedbackPage, const QString &makerPage)
{
    KwKit::Metadata pages;
    pages.website = helpPage;
    pages.feedbackPage = pageOrSection(feedbackPage, helpPage, QStringLiteral("feedback"));
    pages.moreAppsPage = pageOrSection(makerPage, helpPage, QStringLiteral("about"));
    pages.feedbackReachesMaker = !feedbackPage.isEmpty();
    return pages;
}

KwKit::Metadata forThisProgram()
{
    const QString programDirectory = QCoreApplication::applicationDirPath();
    std::optional<QString> page = helpPagePath(programDirectory);
    if (!page) {
        // Where an installation has it: opening it then fails with the address in the log.
        page = installedHelpPage(programDirectory);
        qCWarning(appLog).noquote() << "The help page is missing; expected at" << *page;
    }
    return metadata(QUrl::fromLocalFile(*page), QStringLiteral(TAPEWICK_FEEDBACK_PAGE),
        QStringLiteral(TAPEWICK_MAKER_PAGE));
}

} // namespace ProductPages
