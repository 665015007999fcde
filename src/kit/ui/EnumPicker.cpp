#include "kit/ui/EnumPicker.h"

#include "kit/collections/IndexedCollection.h"

EnumPickerBase::EnumPickerBase(
    Binding<int> index, const QList<Label> &rows, const QString &label, QWidget *parent)
    : QComboBox(parent)
    , m_index(std::move(index))
    , m_label(label)
{
    setAccessibleName(label);
    // A row is identified by its case's position, not by where it stands in the list.
    for (const auto &[index, row] : IndexedCollection(rows)) {
        addItem(row.icon, row.title, static_cast<int>(index));
        setItemData(count() - 1, row.title, Qt::ToolTipRole);
        setItemData(count() - 1, row.title, Qt::AccessibleTextRole);
    }
    refresh();
    connect(this, &QComboBox::currentIndexChanged, this, [this](int row) {
        if (!m_refreshing && row >= 0) {
            m_index.setValue(itemData(row).toInt());
        }
    });
    m_observation = m_index.watch([this] { refresh(); });
}

void EnumPickerBase::refresh()
{
    m_refreshing = true;
    setCurrentIndex(findData(m_index.value()));
    m_refreshing = false;
}

void EnumPickerBase::setIconOnly(bool iconOnly)
{
    m_iconOnly = iconOnly;
    for (int row = 0; row < count(); ++row) {
        setItemText(row, iconOnly ? QString() : itemData(row, Qt::ToolTipRole).toString());
    }
}
