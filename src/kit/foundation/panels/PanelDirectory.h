#pragma once

#include <QString>
#include <QUrl>

#include <optional>

// The folder a panel opens in: `preferred` when it is a folder that is there, else the user's home.
// A file dialog told nothing opens in the working directory, which is wherever the program was
// started from and nothing the user chose.
QString panelDirectory(const std::optional<QUrl> &preferred = std::nullopt);
