#pragma once

#include "kit/foundation/objects/Binding.h"
#include "kit/ui/Label.h"

#include <QComboBox>

#include <vector>

// Every case of an enumeration in declaration order; specialise it for an
// enumeration that a picker lists:
//     template<> struct EnumCases<Quality> { static std::vector<Quality> all() { return {...}; } };
template<typename Enum>
struct EnumCases;

// The position of the bound value among `cases` (the first equal one; -1 when the
// value is not among them). Setting a position in range writes that case; any
// other position is ignored.
template<typename Enum>
Binding<int> caseIndex(Binding<Enum> binding, std::vector<Enum> cases)
{
    auto shared = std::make_shared<const std::vector<Enum>>(std::move(cases));
    Binding<int> result;
    result.get = [binding, shared]() -> int {
        const Enum current = binding.value();
        for (std::size_t index = 0; index < shared->size(); ++index) {
            if ((*shared)[index] == current) {
                return static_cast<int>(index);
            }
        }
        return -1;
    };
    result.set = [binding, shared](const int &index) {
        if (index >= 0 && static_cast<std::size_t>(index) < shared->size()) {
            binding.setValue((*shared)[static_cast<std::size_t>(index)]);
        }
    };
    result.observe = binding.observe;
    return result;
}

// A drop-down over positions, kept in step with a binding of one; each row carries the position
// of the case it shows as its item data.
class EnumPickerBase : public QComboBox
{
    Q_OBJECT
public:
    EnumPickerBase(Binding<int> index, const QList<Label> &rows, const QString &label, QWidget *parent);

    QString label() const { return m_label; }

    // Rows show only their icons; the titles stay as tooltips and accessible text.
    void setIconOnly(bool iconOnly);
    bool isIconOnly() const { return m_iconOnly; }

    // Reads the binding again, for owners whose binding cannot tell about changes.
    void refresh();

private:
    Binding<int> m_index;
    QString m_label;
    bool m_iconOnly = false;
    Events::AnyCancellable m_observation;
    bool m_refreshing = false;
};

// A drop-down listing every case of `Enum` in declaration order, each row made by
// `content`; choosing a row writes its case into `selection`, and a change of
// `selection` made elsewhere moves the choice (when the binding can tell about it).
template<typename Enum>
class EnumPicker : public EnumPickerBase
{
public:
    using Content = std::function<Label(const Enum &)>;

    EnumPicker(
        Binding<Enum> selection, const Content &content, const QString &label = {}, QWidget *parent = nullptr)
        : EnumPicker(std::move(selection), EnumCases<Enum>::all(), content, label, parent)
    { }

    EnumPicker(Binding<Enum> selection, const std::vector<Enum> &cases, const Content &content,
        const QString &label = {}, QWidget *parent = nullptr)
        : EnumPickerBase(caseIndex(std::move(selection), cases), rowsOf(cases, content), label, parent)
    { }

private:
    static QList<Label> rowsOf(const std::vector<Enum> &cases, const Content &content)
    {
        QList<Label> rows;
        rows.reserve(static_cast<qsizetype>(cases.size()));
        for (const Enum &value : cases) {
            rows.append(content(value));
        }
        return rows;
    }
};
