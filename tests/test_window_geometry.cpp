// Where a window restored from the settings file may go.

#include <gtest/gtest.h>

#include <climits>

#include "app/WindowGeometry.h"

using namespace velmora::app;

namespace {
std::string show(const WindowRect& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + " " + std::to_string(r.width) +
           "x" + std::to_string(r.height);
}
}  // namespace

TEST(WindowGeometry, KeptOnTheAvailableArea) {
    struct Case {
        const char* what;
        WindowRect wanted;
        WindowRect area;
        WindowRect fitted;
    };
    const WindowRect screen{0, 0, 800, 600};
    // A 1024 x 768 screen with a 24-pixel panel along its top.
    const WindowRect panelled{0, 24, 1024, 744};
    const Case cases[] = {
        {"the defaults stay as they are", {100, 100, 500, 570}, screen, {100, 100, 500, 570}},
        {"the whole area", {0, 0, 800, 600}, screen, {0, 0, 800, 600}},
        {"tiny grows to the smallest window", {100, 100, 10, 5}, screen, {100, 100, 200, 150}},
        {"no size at all", {100, 100, 0, -20}, screen, {100, 100, 200, 150}},
        {"huge shrinks to the area", {100, 100, 999999, 999999}, screen, {100, 100, 800, 600}},
        {"one pixel too wide", {0, 0, 801, 600}, screen, {0, 0, 800, 600}},
        {"left of and above the area", {-500, -40, 500, 570}, screen, {0, 0, 500, 570}},
        {"far right and below", {5000, 4000, 500, 400}, screen, {600, 450, 500, 400}},
        {"just where 200 x 150 still show", {600, 450, 500, 400}, screen, {600, 450, 500, 400}},
        {"one pixel past that", {601, 451, 500, 400}, screen, {600, 450, 500, 400}},
        {"small window near the far corner", {700, 560, 200, 150}, screen, {600, 450, 200, 150}},
        {"extremes of int", {INT_MAX, INT_MIN, INT_MAX, INT_MIN}, screen, {600, 0, 800, 150}},
        {"what 32767 x 32767 used to be",
         {32767, 32767, 32767, 32767},
         screen,
         {600, 450, 800, 600}},
        {"under the panel", {100, 0, 500, 570}, panelled, {100, 24, 500, 570}},
        {"taller than below the panel", {100, 100, 500, 900}, panelled, {100, 100, 500, 744}},
        {"below a panelled screen", {100, 2000, 500, 570}, panelled, {100, 618, 500, 570}},
        {"screen smaller than the smallest window",
         {50, 50, 500, 500},
         {0, 0, 150, 100},
         {0, 0, 150, 100}},
    };
    for (const Case& c : cases) {
        const WindowRect got = fitIntoArea(c.wanted, c.area);
        EXPECT_EQ(show(got), show(c.fitted)) << c.what;
    }
}
