// The per-connection log file through the shell the window builds: each
// connection's file is named with the IMEI of the device it talks to.
#include "model/dataserver.h"
#include "model/modeltable.h"
#include "shell/shell.h"
#include "sim/devsim.h"
#include "tests/support/fake_ui.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <memory>
#include <set>
#include <string>

#include <unistd.h>

namespace {

namespace fs = std::filesystem;

struct SessionLogTest : testing::Test {
    void SetUp() override {
        static std::atomic<int> serial{0};
        dir = (fs::temp_directory_path() /
               ("orvena-log-test-" + std::to_string(getpid()) + "-" + std::to_string(serial++)))
                  .string();
        fs::create_directories(dir);
        shell = std::make_unique<CShell>(data, ui.Roles(), dir);
        ui.onConnectCommand = [this] { shell->Session().OnConnectCommand(); };
    }
    void TearDown() override {
        shell.reset();
        sim.reset();
        fs::remove_all(dir);
    }
    // Connects to a new device of the type and IMEI, then disconnects.
    void ConnectOnce(int type, const std::string& imei) {
        DevSimOptions options;
        options.type = type;
        options.imei = imei;
        options.pacing = false;
        options.link = dir + "/port";
        sim.reset();
        sim = std::make_unique<CDevSim>(options);
        ASSERT_TRUE(sim->Start());
        shell->ChoosePort(sim->PortPath());
        shell->Session().OnConnectCommand();
        ASSERT_TRUE(shell->State().connected);
        shell->Session().OnConnectCommand();
        ASSERT_FALSE(shell->State().connected);
    }
    std::set<std::string> LogNames() const {
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir + "/Logs"))
            names.insert(entry.path().filename().string());
        return names;
    }
    static bool HasPrefix(const std::set<std::string>& names, const std::string& prefix) {
        for (const std::string& name : names)
            if (name.rfind(prefix, 0) == 0)
                return true;
        return false;
    }

    std::string dir;
    CDataServer data;
    FakeUi ui;
    std::unique_ptr<CDevSim> sim;
    std::unique_ptr<CShell> shell;
};

TEST_F(SessionLogTest, EachDeviceGetsALogFileNamedWithItsOwnImei) {
    ConnectOnce(11, "356000000000011");
    ConnectOnce(20, "356000000000020");
    ConnectOnce(3, "356000000000003");  // no GSM: the IMEI stays unknown
    const std::set<std::string> names = LogNames();
    ASSERT_EQ(names.size(), 3u);
    EXPECT_TRUE(HasPrefix(names, std::string(ModelName(11)) + "_356000000000011_")) << *names.begin();
    EXPECT_TRUE(HasPrefix(names, std::string(ModelName(20)) + "_356000000000020_"));
    EXPECT_TRUE(HasPrefix(names, std::string(ModelName(3)) + "_FFFFFFFFFFFFFFFF_"));
    EXPECT_TRUE(ui.Errors().empty());
}

}  // namespace
