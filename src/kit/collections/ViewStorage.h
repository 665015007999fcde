#pragma once

#include <memory>
#include <utility>

// A value kept in a box that every copy of the storage shares. Writing replaces the boxed value
// in place and notifies no one; the storage itself never changes, so writing is const.
template<typename T>
class ViewStorage
{
public:
    explicit ViewStorage(T initialValue)
        : m_valueBox(std::make_shared<ValueBox>(std::move(initialValue)))
    { }

    T &value() const { return m_valueBox->value; }
    void setValue(T newValue) const { m_valueBox->value = std::move(newValue); }

private:
    struct ValueBox
    {
        explicit ValueBox(T initialValue)
            : value(std::move(initialValue))
        { }
        T value;
    };

    std::shared_ptr<ValueBox> m_valueBox;
};
