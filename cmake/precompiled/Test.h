// The library headers plus the test frameworks every test program includes.
#pragma once

#include "Library.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
