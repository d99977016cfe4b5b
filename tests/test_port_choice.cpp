// Port numbers and device paths.

#include <gtest/gtest.h>

#include "app/TFselectComm.h"
#include "link/qt/PortChoice.h"

using namespace velmora;
using namespace velmora::link;

TEST(PortChoice, NumbersAreTheBuiltInPorts) {
    EXPECT_EQ(devicePath(PortChoice{1, {}}), "/dev/ttyS0");
    EXPECT_EQ(devicePath(PortChoice{2, {}}), "/dev/ttyS1");
    EXPECT_EQ(devicePath(PortChoice{2, "/dev/ttyUSB0"}), "/dev/ttyUSB0");
    EXPECT_EQ(portDisplayName("/dev/ttyS0"), "COM1");
    EXPECT_EQ(portDisplayName("/dev/ttyS12"), "COM13");
    EXPECT_EQ(portDisplayName("/dev/ttyACM0"), "/dev/ttyACM0");
}

TEST(PortChoice, PickedFromTheList) {
    EXPECT_EQ(choiceForDevice("/dev/ttyS2", 0).number, 3);
    EXPECT_TRUE(choiceForDevice("/dev/ttyS2", 0).path.isEmpty());
    EXPECT_EQ(choiceForDevice("/dev/ttyUSB0", 4).number, 5);
    EXPECT_EQ(choiceForDevice("/dev/ttyUSB0", 4).path, "/dev/ttyUSB0");
}

TEST(PortChoice, TypedPortNames) {
    EXPECT_EQ(parsePortArgument("3").number, 3);
    EXPECT_TRUE(parsePortArgument("3").path.isEmpty());
    EXPECT_EQ(parsePortArgument("/dev/serial/by-id/usb-FTDI").path, "/dev/serial/by-id/usb-FTDI");
    EXPECT_EQ(app::portChoiceFromText("COM4")->number, 4);
    EXPECT_TRUE(app::portChoiceFromText("com4")->path.isEmpty());
    EXPECT_EQ(app::portChoiceFromText(" /dev/pts/7 ")->path, "/dev/pts/7");
    EXPECT_FALSE(app::portChoiceFromText("  ").has_value());
    EXPECT_EQ(app::portChoiceFromText("COMX")->path, "COMX");
}
