#pragma once

#include <gtest/gtest.h>

#include <vector>

namespace TestSupport {

// Whether the samples carry the test desktop's tone at its pitch and level (within 20 %), once
// the source has settled.
::testing::AssertionResult holdsTheTone(const std::vector<float> &channel, int sampleRate);

} // namespace TestSupport
