#pragma once
// The one fixture of the window tests, under the name the settings tests know it by.

#include "tests/support/WindowFixture.h"
