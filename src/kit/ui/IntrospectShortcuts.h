#pragma once

#include "kit/ui/IntrospectionView.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QAbstractSpinBox>
#include <QDateTimeEdit>
#include <QLineEdit>
#include <QSlider>
#include <QTabWidget>
#include <QTableView>
#include <QTextEdit>

// Customisation of the control that a composite widget is built from: the marker goes beside
// `view`, and the search looks inside it (or, for some controls, above the marker), as each
// control is usually reached.
namespace IntrospectShortcuts {

template<typename T>
using Customize = std::function<void(T *)>;

template<typename T, T *(*Selector)(const QWidget *)>
IntrospectionViewHost *introspectWith(QWidget *view, Customize<T> customize)
{
    return introspect<T>(view, Selector, std::move(customize));
}

constexpr auto introspectTableView
    = &introspectWith<QTableView, TargetViewSelector::ancestorOrSiblingContaining<QTableView>>;
constexpr auto introspectScrollView
    = &introspectWith<QAbstractScrollArea, TargetViewSelector::siblingOfTypeOrAncestor<QAbstractScrollArea>>;
constexpr auto introspectTextField
    = &introspectWith<QLineEdit, TargetViewSelector::siblingContaining<QLineEdit>>;
constexpr auto introspectTextView
    = &introspectWith<QTextEdit, TargetViewSelector::siblingContainingOrAncestorOrAncestorChild<QTextEdit>>;
constexpr auto introspectSlider = &introspectWith<QSlider, TargetViewSelector::siblingContaining<QSlider>>;
constexpr auto introspectStepper
    = &introspectWith<QAbstractSpinBox, TargetViewSelector::siblingContaining<QAbstractSpinBox>>;
constexpr auto introspectDatePicker
    = &introspectWith<QDateTimeEdit, TargetViewSelector::siblingContaining<QDateTimeEdit>>;
constexpr auto introspectTabView
    = &introspectWith<QTabWidget, TargetViewSelector::siblingContaining<QTabWidget>>;
constexpr auto introspectButton
    = &introspectWith<QAbstractButton, TargetViewSelector::siblingContaining<QAbstractButton>>;

} // namespace IntrospectShortcuts
