// The road from a page's edit to the device and to the settings file, through
// the same shell the window builds, against the simulated device.
#include "files/zrafile.h"
#include "model/dataserver.h"
#include "shell/shell.h"
#include "sim/devsim.h"
#include "tests/support/fake_ui.h"
#include "tests/support/received.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <unistd.h>

namespace {

// A page holding edits of two groups until it is asked for them: the mode and
// the track filter's angle.
class EditingPage : public ICollectingPage {
public:
    EditingPage(CDataServer& data, IPageHost& host) : m_data(data), m_host(host) {}

    void Edit(int32_t mode, uint16_t angle) {
        m_mode = mode;
        m_angle = angle;
        m_edited = true;
        m_host.NotifyModified();
    }

    bool CollectChanges() override {
        ++collects;
        if (!m_edited)
            return false;
        m_edited = false;
        m_data.Set(DI_MODE, m_mode);
        TrackFilterRecord filter;
        m_data.Get(DI_TRACK_FILTER, filter);
        filter.angle = m_angle;
        m_data.Set(DI_TRACK_FILTER, filter);
        m_host.MarkChanged({&Group::kMode});
        m_host.MarkChanged({&Group::kFilter});
        return true;
    }

    int collects = 0;

private:
    CDataServer& m_data;
    IPageHost& m_host;
    int32_t m_mode = 0;
    uint16_t m_angle = 0;
    bool m_edited = false;
};

class EditWriteTest : public testing::Test {
protected:
    void SetUp() override {
        static std::atomic<int> serial{0};
        const std::string tag = std::to_string(getpid()) + "-" + std::to_string(serial++);
        workDir = std::filesystem::temp_directory_path() / ("orvena-edit-" + tag);
        std::filesystem::create_directories(workDir);
        DevSimOptions options;
        options.type = 70;
        options.pacing = false;
        options.link = (workDir / "ttyDEV").string();
        sim = std::make_unique<CDevSim>(options);
        ASSERT_TRUE(sim->Start());
        shell = std::make_unique<CShell>(data, ui.Roles(), workDir.string());
        page = std::make_unique<EditingPage>(data, shell->PageHost());
        shell->Pages().Add(page.get());
        shell->ChoosePort(sim->PortPath());
        ui.onConnectCommand = [this] { shell->Session().OnConnectCommand(); };
    }

    void TearDown() override {
        shell.reset();
        sim.reset();
        std::filesystem::remove_all(workDir);
    }

    void Connect() {
        shell->Session().OnConnectCommand();
        ui.RunPosted();
        ASSERT_TRUE(shell->State().connected);
        sim->ClearReceived();
    }

    // "Создать" for type 70, answered with a path in the work folder.
    std::string CreateFile() {
        const std::string path = (workDir / "device.kvs").string();
        ui.chosenFiles.push_back(path);
        shell->CreateFile(70);
        EXPECT_TRUE(shell->State().fileOpen);
        return path;
    }

    std::vector<std::string> Received() const { return ReceivedRequests(*sim); }

    static std::string Contents(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }

    std::filesystem::path workDir;
    CDataServer data;
    FakeUi ui;
    std::unique_ptr<CDevSim> sim;
    std::unique_ptr<CShell> shell;
    std::unique_ptr<EditingPage> page;
};

std::vector<std::string> Keywords(const std::vector<std::string>& lines) {
    std::vector<std::string> keywords;
    for (const std::string& line : lines)
        keywords.push_back(line.substr(0, line.find(';')));
    return keywords;
}

TEST_F(EditWriteTest, WriteSendsExactlyTheCollectedRequestsOnceAndInOrder) {
    Connect();
    page->Edit(2, 45);
    EXPECT_TRUE(shell->State().deviceEditsPending);

    shell->Session().OnWriteCommand();
    EXPECT_EQ(Keywords(Received()), (std::vector<std::string>{"MODE", "FILTER"}));
    EXPECT_FALSE(shell->State().deviceEditsPending);

    // Nothing edited since: nothing is sent, and the first requests are gone.
    sim->ClearReceived();
    shell->Session().OnWriteCommand();
    EXPECT_TRUE(Received().empty());
    page->Edit(3, 50);
    shell->Session().OnWriteCommand();
    EXPECT_EQ(Keywords(Received()), (std::vector<std::string>{"MODE", "FILTER"}));
}

TEST_F(EditWriteTest, WriteWithAFileOpenWritesEverythingWithThePagesEdits) {
    Connect();
    CreateFile();
    page->Edit(2, 45);
    shell->Session().OnWriteCommand();
    EXPECT_EQ(page->collects, 1);
    const std::vector<std::string> keywords = Keywords(Received());
    for (const char* group : {"DEV", "DATE", "MODE", "FILTER", "SERVER1", "IN1", "PRSET11"})
        EXPECT_NE(std::find(keywords.begin(), keywords.end(), group), keywords.end()) << group;
    EXPECT_GT(keywords.size(), 20u);
    EXPECT_FALSE(shell->State().deviceEditsPending);
}

TEST_F(EditWriteTest, SaveCollectsIntoTheFileAndSendsNothing) {
    Connect();
    const std::string path = CreateFile();
    page->Edit(2, 77);
    EXPECT_TRUE(shell->State().fileModified);
    shell->Files().OnSave();
    EXPECT_EQ(page->collects, 1);
    EXPECT_FALSE(shell->State().fileModified);
    EXPECT_NE(Contents(path).find("FILTER;"), std::string::npos);
    EXPECT_TRUE(Received().empty());
    // The save dropped the requests it collected: a later write sends only its own.
    shell->Files().OnOpenOrClose();
    shell->Session().OnReadCommand();  // the device's own values again
    sim->ClearReceived();
    page->Edit(3, 50);
    shell->Session().OnWriteCommand();
    EXPECT_EQ(Keywords(Received()), (std::vector<std::string>{"MODE", "FILTER"}));
}

TEST_F(EditWriteTest, CloseWithoutADeviceLeavesTheDefaultsOfType0) {
    CreateFile();
    page->Edit(2, 77);
    shell->Files().OnSave();
    shell->Files().OnOpenOrClose();
    EXPECT_FALSE(shell->State().fileOpen);

    CDataServer defaults;
    CZRAMDS codecNow(data), codecDefaults(defaults);
    EXPECT_EQ(ComposeSettings(codecNow), ComposeSettings(codecDefaults));
}

TEST_F(EditWriteTest, AServiceRequestGoesOutWithTheNextStatusPassAndRefreshFlagsAreTakenOnce) {
    Connect();
    IPageHost& host = shell->PageHost();
    // Queued before the page wakes the poll, so the pass the wake starts finds it.
    ASSERT_EQ(host.QueueServiceRequest(RequestType::Write, "OUT1", nullptr), 1);
    host.SetActivePageCode(PageCode::Info);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    std::vector<std::string> keywords;
    while (std::chrono::steady_clock::now() < deadline) {
        keywords = Keywords(Received());
        if (std::find(keywords.begin(), keywords.end(), "OUT1") != keywords.end())
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ASSERT_NE(std::find(keywords.begin(), keywords.end(), "OUT1"), keywords.end());
    EXPECT_EQ(keywords.front(), "OUT1") << "sent before the pass's reads";

    shell->State().RequestPageRefresh();
    for (RefreshedPage refreshed : {RefreshedPage::Main, RefreshedPage::Settings, RefreshedPage::Connections}) {
        EXPECT_TRUE(host.TakeRefresh(refreshed));
        EXPECT_FALSE(host.TakeRefresh(refreshed));
    }
}

}  // namespace
