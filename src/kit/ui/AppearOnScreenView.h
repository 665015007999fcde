#pragma once

#include "kit/foundation/objects/Binding.h"

#include <QWidget>

#include <functional>
#include <optional>

// An empty view that reports when it comes on screen and goes off it: the bound flag
// is written first, then the callback runs.
class AppearOnScreenView : public QWidget
{
    Q_OBJECT
public:
    explicit AppearOnScreenView(QWidget *parent = nullptr);

    std::function<void()> onViewDidAppear;
    std::function<void()> onViewDidDisappear;
    std::optional<Binding<bool>> isOnScreen;

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
};
