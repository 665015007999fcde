#pragma once

#include "platform/desktop/StatusButtonTitle.h"

#include <QIcon>
#include <QImage>
#include <QObject>
#include <QString>

#include <memory>

// The button of a status item: an image, a title beside it, and how it reads to
// assistive technology. Panels give an item a small square: the title is too small to read
// there, so a panel shows it as text (toolTip, or a label where the panel has one).
class StatusBarButton : public QObject
{
    Q_OBJECT

public:
    // The values are those of the cell image positions they stand for.
    enum class ImagePosition { imageOnly = 1, imageRight = 3 };

    explicit StatusBarButton(QObject *parent = nullptr);
    ~StatusBarButton() override;

    // A mask icon is a template: it is drawn in the panel's text colour.
    void setImage(const QIcon &image);
    const QIcon &image() const { return m_image; }

    void setTitle(const QString &title);
    void setAttributedTitle(std::shared_ptr<const StatusButtonTitle> title);
    QString title() const;
    const std::shared_ptr<const StatusButtonTitle> &attributedTitle() const { return m_title; }

    void setImagePosition(ImagePosition position);
    ImagePosition imagePosition() const { return m_imagePosition; }

    void setAppearsDisabled(bool disabled);
    bool appearsDisabled() const { return m_appearsDisabled; }

    void setAccessibilityTitle(const QString &title);
    const QString &accessibilityTitle() const { return m_accessibilityTitle; }
    void setAccessibilityValue(const QString &value);
    const QString &accessibilityValue() const { return m_accessibilityValue; }

    // The accessibility title, the value and the shown title, one to a line.
    QString toolTip() const;
    QString accessibleName() const;

    // The image as the panel's square picture `pixelSize` pixels wide: as high as the square,
    // centred across it without the empty room at its sides, templates drawn in
    // `templateColor`, the whole dimmed while the button appears disabled. The title is not drawn.
    QImage render(
        int pixelSize, qreal devicePixelRatio = 1.0, const QColor &templateColor = panelTextColor()) const;

    // The colour of the panel's text, in which titles and templates are drawn.
    static QColor panelTextColor();
    // How much of its opacity a button keeps while it appears disabled.
    static constexpr qreal disabledOpacity = 0.4;

signals:
    void changed();

private:
    QIcon m_image;
    std::shared_ptr<const StatusButtonTitle> m_title;
    ImagePosition m_imagePosition = ImagePosition::imageOnly;
    bool m_appearsDisabled = false;
    QString m_accessibilityTitle;
    QString m_accessibilityValue;
};
