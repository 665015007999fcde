#pragma once

// How an associated value is held by its object. The numbers are the platform's own, kept
// so stored or logged policies read the same.
enum class AssociationPolicy : int {
    // Not kept alive: a shared or QObject value is held weakly and reads as the default once gone.
    assign = 0,
    retainNonatomic = 1,
    copyNonatomic = 3,
    retain = 769,
    copy = 771,
};
