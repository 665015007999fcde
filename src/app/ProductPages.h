#pragma once

#include "kit/services/KwKit.h"

#include <QString>
#include <QUrl>

#include <optional>

// The product's pages: the help page that comes with the program, and the feedback page and the
// maker's page, which the build may point elsewhere.
namespace ProductPages {

inline constexpr char helpPageName[] = "help.html";

// The help page for a program in `programDirectory`: beside the program, as a build leaves it,
// else installed in the data folder beside its bin folder, else in the desktop's data folders;
// none when it is nowhere.
std::optional<QString> helpPagePath(const QString &programDirectory);

// The website is the help page; an empty feedback or maker address opens the help page's
// "#feedback" or "#about" section instead. Only a feedback address reaches the maker.
KwKit::Metadata metadata(const QUrl &helpPage, const QString &feedbackPage, const QString &makerPage);

// The pages of this build, for the running program.
KwKit::Metadata forThisProgram();

} // namespace ProductPages
