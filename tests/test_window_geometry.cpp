// Where a window restored from the settings file may go, and where a tool window opens.

#include <gtest/gtest.h>

#include <climits>

#include "app/WindowGeometry.h"
#include "common/ToolWindowPlace.h"

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

TEST(ToolWindowPlace, BesideTheMainWindowOrBelowItsTitleBarOnTheScreen) {
    struct Case {
        const char* what;
        velmora::ScreenRect main;
        velmora::ScreenRect tool;
        velmora::ScreenRect placed;
    };
    const velmora::ScreenRect screen{0, 0, 1280, 900};
    const int bar = 25;
    const Case cases[] = {
        {"room on the right", {0, 0, 600, 500}, {0, 0, 400, 300}, {600, 0, 400, 300}},
        {"room on the left only", {700, 100, 500, 500}, {0, 0, 400, 300}, {300, 100, 400, 300}},
        {"exactly the room on the right", {100, 50, 500, 600}, {0, 0, 680, 300}, {600, 50, 680, 300}},
        {"beside, moved up to end on the screen", {0, 500, 600, 300}, {0, 0, 400, 600}, {600, 300, 400, 600}},
        {"no room beside: below the bar, one bar in", {100, 50, 1000, 700}, {0, 0, 640, 420}, {125, 75, 640, 420}},
        {"over a maximized window", screen, {0, 0, 640, 420}, {25, 25, 640, 420}},
        {"kept from the right edge", {300, 30, 970, 800}, {0, 0, 1000, 420}, {280, 55, 1000, 420}},
        {"no room below: above the window", {100, 600, 1000, 290}, {0, 0, 640, 420}, {125, 180, 640, 420}},
        {"taller than the room below the bar", screen, {0, 0, 640, 1000}, {25, 25, 640, 875}},
        {"wider than the screen", {100, 50, 1000, 700}, {0, 0, 2000, 300}, {0, 75, 1280, 300}},
    };
    for (const Case& c : cases) {
        const velmora::ScreenRect got = velmora::placeToolWindow(c.main, bar, c.tool, screen);
        EXPECT_EQ(show({got.left, got.top, got.width, got.height}),
                  show({c.placed.left, c.placed.top, c.placed.width, c.placed.height}))
            << c.what;
    }
    // A screen right of the first, under a panel.
    const velmora::ScreenRect second{1280, 24, 1920, 1056};
    const velmora::ScreenRect got =
        velmora::placeToolWindow({1300, 40, 800, 600}, bar, {0, 0, 400, 300}, second);
    EXPECT_EQ(show({got.left, got.top, got.width, got.height}), show({2100, 40, 400, 300}));
}
