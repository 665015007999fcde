#pragma once

#include "kit/foundation/panels/OpenPanelDelegate.h"

#include <QFileDialog>

#include <memory>

class QLabel;
class QSortFilterProxyModel;

// A file dialog whose items are enabled and whose choices are accepted by a delegate. It is
// always the toolkit's own dialog, since a desktop's native one cannot ask the delegate. It opens in
// the user's home until told another folder.
class OpenPanel : public QFileDialog
{
    Q_OBJECT

public:
    explicit OpenPanel(QWidget *parent = nullptr);

    void setDelegate(std::shared_ptr<OpenPanelDelegate> delegate);
    const std::shared_ptr<OpenPanelDelegate> &delegate() const { return m_delegate; }

    // A line of explanation shown with the panel; empty hides it.
    void setMessage(const QString &message);
    QString message() const;
    // The title of the button that confirms the choice.
    void setPrompt(const QString &prompt);

    // Whether the delegate lets the item be picked.
    bool isUrlEnabled(const QUrl &url) const;

public slots:
    // Asks the delegate about every chosen item first; a refusal is shown on the panel, which stays open.
    void accept() override;

private:
    std::shared_ptr<OpenPanelDelegate> m_delegate;
    QLabel *m_message = nullptr;
    QSortFilterProxyModel *m_enabling = nullptr;
};
