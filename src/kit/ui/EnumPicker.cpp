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
    }
    refresh();
    connect(this, &QComboBox::currentIndexChanged, this, [this](int row) {
        if (!m_refreshing && row >= 0) {
            m_index.setValue(row);
        }
    });
    if (m_index.observe) {
        m_observation = m_index.observe([this] { refresh(); });
    }
}

void EnumPickerBase::refresh()
{
    m_refreshing = true;
    setCurrentIndex(m_index.value());
    m_refreshing = false;
}
