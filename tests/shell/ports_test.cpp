#include "shell/ports.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

namespace {

namespace fs = std::filesystem;

// A system's view of its ports as the kernel lays it out: tty links to
// device folders, the USB device's attributes a few folders up, and the
// stable names under by-id.
class FakeSystem : public testing::Test {
protected:
    void SetUp() override {
        root = fs::temp_directory_path() / ("orvena-ports-" + std::to_string(getpid()));
        fs::remove_all(root);
        roots.sysTty = (root / "sys/class/tty").string();
        roots.byId = (root / "dev/serial/by-id").string();
        fs::create_directories(roots.sysTty);
        fs::create_directories(roots.byId);
    }
    void TearDown() override { fs::remove_all(root); }

    void Write(const fs::path& file, const std::string& text) {
        fs::create_directories(file.parent_path());
        std::ofstream(file) << text << "\n";
    }
    // A USB device with its attributes; the tty hangs off interface below it.
    void UsbTty(const std::string& tty, const std::string& usb, const std::string& below, const std::string& maker,
                const std::string& product, const std::string& serial) {
        const fs::path device = root / "sys/devices/pci0000:00/usb1" / usb;
        Write(device / "idVendor", "0403");
        if (!maker.empty())
            Write(device / "manufacturer", maker);
        if (!product.empty())
            Write(device / "product", product);
        if (!serial.empty())
            Write(device / "serial", serial);
        fs::create_directories(device / below);
        fs::create_directories(fs::path(roots.sysTty) / tty);
        fs::create_symlink(device / below, fs::path(roots.sysTty) / tty / "device");
        Write(root / "dev" / tty, "");
    }
    std::string Dev(const std::string& tty) { return (root / "dev" / tty).string(); }

    fs::path root;
    PortRoots roots;
};

TEST_F(FakeSystem, UsbPortsShowMakerProductAndSerialAndOpenThroughTheirStableName) {
    UsbTty("ttyUSB0", "1-1", "1-1:1.0/ttyUSB0", "FTDI", "FT232R USB UART", "A1B2C3");
    UsbTty("ttyACM0", "1-2", "1-2:1.0", "Orvena", "Tracker", "");
    fs::create_symlink("../../ttyUSB0", fs::path(roots.byId) / "usb-FTDI_FT232R_USB_UART_A1B2C3-if00-port0");
    fs::create_directories(root / "sys/devices/platform/serial8250/tty/ttyS0");
    fs::create_directories(fs::path(roots.sysTty) / "ttyS0");
    fs::create_symlink(root / "sys/devices/platform/serial8250", fs::path(roots.sysTty) / "ttyS0" / "device");
    Write(root / "dev/ttyS0", "");

    const struct {
        std::string device;
        PortEntry expected;
        std::string text;
    } cases[] = {
        {Dev("ttyUSB0"),
         {roots.byId + "/usb-FTDI_FT232R_USB_UART_A1B2C3-if00-port0", Dev("ttyUSB0"), "FTDI FT232R USB UART (A1B2C3)"},
         "FTDI FT232R USB UART (A1B2C3) — " + Dev("ttyUSB0")},
        {Dev("ttyACM0"), {Dev("ttyACM0"), Dev("ttyACM0"), "Orvena Tracker"}, "Orvena Tracker — " + Dev("ttyACM0")},
        {Dev("ttyS0"), {Dev("ttyS0"), Dev("ttyS0"), ""}, Dev("ttyS0")},
    };
    for (const auto& c : cases) {
        const PortEntry entry = DescribePort(c.device, roots);
        EXPECT_EQ(entry.path, c.expected.path) << c.device;
        EXPECT_EQ(entry.device, c.expected.device) << c.device;
        EXPECT_EQ(entry.description, c.expected.description) << c.device;
        EXPECT_EQ(PortEntryText(entry), c.text) << c.device;
    }
}

TEST_F(FakeSystem, APortTheSystemTellsNothingAboutIsItsDeviceAlone) {
    const PortEntry entry = DescribePort("/dev/ttyNOSUCH9", roots);
    EXPECT_EQ(entry.path, "/dev/ttyNOSUCH9");
    EXPECT_EQ(entry.description, "");
}

}  // namespace
