#pragma once

#include "EventLoop.h"
#include "FileContents.h"
#include "ScopedEnv.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>

#include <gtest/gtest.h>

#include <optional>

// Helpers the kit tests share.
namespace KitTesting {

using TestSupport::readFile;
using TestSupport::ScopedEnv;
using TestSupport::writeFile;

template<typename Widget>
Widget *visible()
{
    for (QWidget *widget : QApplication::allWidgets()) {
        if (auto *found = qobject_cast<Widget *>(widget); found && found->isVisible()) {
            return found;
        }
    }
    return nullptr;
}

// Closes the alerts a failed test left open, so the next test starts without them.
inline void closeMessageBoxes()
{
    while (QMessageBox *box = visible<QMessageBox>()) {
        box->close();
        TestSupport::processEventsFor(std::chrono::milliseconds(5));
    }
}

// The error of type E that `call` throws, or none when it returns; other exceptions pass through.
template<typename E, typename Call>
std::optional<E> thrown(Call &&call)
{
    try {
        call();
    } catch (const E &error) {
        return error;
    }
    return std::nullopt;
}

} // namespace KitTesting
