#pragma once

#include <QIcon>
#include <QUrl>
#include <QWidget>

// The file manager's icon of a location, scaled to fit the space it is given
// without cropping or distortion. Decoration only: the text beside it carries the meaning.
class UrlIcon : public QWidget
{
    Q_OBJECT
public:
    explicit UrlIcon(const QUrl &url = {}, QWidget *parent = nullptr);

    QUrl url() const { return m_url; }
    void setUrl(const QUrl &url);
    QIcon icon() const { return m_icon; }

    // The icon that the desktop shows for the file, folder or kind of file.
    static QIcon iconFor(const QUrl &url);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QUrl m_url;
    QIcon m_icon;
};
