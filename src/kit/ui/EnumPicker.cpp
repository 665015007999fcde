#include "kit/ui/EnumPicker.h"

EnumPickerBase::EnumPickerBase(
    Binding<int> index, const QList<Label> &rows, const QString &label, QWidget *parent)
    : QComboBox(parent)
    , m_index(std::move(index))
    , m_label(label)
{
    setAccessibleName(label);
    for (const Label &row : rows) {
        addItem(row.icon, row.title);
        setItemData(count() - 1, row.title, Qt::ToolTipRole);
        setItemData(count() - 1, row.title, Qt::AccessibleTextRole);
        m_titles.append(row.title);
    }
    refresh();
    connect(this, &QComboBox::currentIndexChanged, this, [this](int row) {
        if (!m_refreshing && row >= 0) {
            m_index.setValue(row);
        }
    });
    m_observation = m_index.watch([this] { refresh(); });
}

void EnumPickerBase::refresh()
{
    m_refreshing = true;
    setCurrentIndex(m_index.value());
    m_refreshing = false;
}

void EnumPickerBase::setIconOnly(bool iconOnly)
{
    m_iconOnly = iconOnly;
    for (int row = 0; row < count(); ++row) {
        setItemText(row, iconOnly ? QString() : m_titles.at(row));
    }
}
