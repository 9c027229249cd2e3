// The log line path end to end: lines fed from the serial side come out in
// the log file between its header and footer, and on the log page.
#include "files/logfile.h"
#include "files/logpath.h"
#include "files_fixture.h"
#include "transport/zralogqueue.h"

#include <atomic>
#include <chrono>
#include <csignal>
#include <thread>

#include <sys/resource.h>
#include <sys/stat.h>

namespace {

namespace fs = std::filesystem;

const std::string kRule = "// ------------------------------------------------------------\r\n";

std::string Header(const std::string& date, const std::string& type, const std::string& serial) {
    return kRule + "// ZRA LOG File\r\n// Date: " + date + "\r\n// Device Type: " + type + "\r\n// Serial: " + serial +
           "\r\n" + kRule;
}

std::string Footer(const std::string& date) { return kRule + "// Date: " + date + "\r\n" + kRule; }

// Each call is one second later than the one before.
LocalClock Ticking(int& seconds) {
    return [&seconds] { return FixedTime(14, 7, seconds++); };
}

template <class Pred> bool WaitFor(Pred pred) {
    for (int i = 0; i < 300 && !pred(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return pred();
}

class LogPath : public ::testing::Test {
protected:
    std::string LogFile() { return dir / "Logs/Quil_861234567890123_050319_140709.log"; }

    ScratchDir dir;
    ScriptedUi ui;
    int seconds = 9;
    CLOGFile file{ui, dir.path, Ticking(seconds)};
    CZRALogQueue queue;
    std::atomic<bool> pageShown{true};
    CLogPath path{queue, file, ui, [this] { return pageShown.load(); }};
};

TEST_F(LogPath, SessionWritesHeaderLinesAndClosingFooter) {
    path.OpenSessionLog("Quil", "861234567890123");
    EXPECT_EQ(path.FeedLog("$VER\r\n", 1), 9);
    EXPECT_EQ(path.FeedLog("$VER;01.24;120319^QQ\r\n", 0), 25);
    ASSERT_TRUE(WaitFor([&] { return ui.LogLines().size() == 2; }));
    pageShown = false;  // the page left the window: the file alone goes on
    path.FeedLog("$MODE\r\n", 1);
    path.CloseSessionLog();

    EXPECT_EQ(ReadBytes(LogFile()), Header("05/03/19 14:07:09", "Quil", "861234567890123") +
                                        ">> $VER\r\n<< $VER;01.24;120319^QQ\r\n>> $MODE\r\n" +
                                        Footer("05/03/19 14:07:10"));
    EXPECT_EQ(ui.LogLines(), (std::vector<std::string>{">> $VER\r\n", "<< $VER;01.24;120319^QQ\r\n"}));
    EXPECT_FALSE(path.Running());
    EXPECT_TRUE(ui.Errors().empty());
}

TEST_F(LogPath, LineLongerThanTheBufferReachesTheFileWhole) {
    path.OpenSessionLog("Quil", "861234567890123");
    // With its prefix the line fills the queue and the assembly buffer to the last byte.
    const std::string longLine(1020, 'x');
    path.FeedLog(longLine.c_str(), 0);
    ASSERT_TRUE(WaitFor([&] { return ui.LogLines().size() == 1; }));
    path.FeedLog("end\r\n", 0);
    ASSERT_TRUE(WaitFor([&] { return ui.LogLines().size() == 2; }));
    path.CloseSessionLog();

    const std::string fed = "<< " + longLine + "<< end\r\n";
    EXPECT_EQ(ReadBytes(LogFile()),
              Header("05/03/19 14:07:09", "Quil", "861234567890123") + fed + Footer("05/03/19 14:07:10"));
    const std::vector<std::string> lines = ui.LogLines();
    EXPECT_EQ(lines[0].size(), CLogPath::kLineSize - 1) << "a full buffer is handed on as one piece";
    EXPECT_EQ(lines[0] + lines[1], fed);
}

TEST_F(LogPath, BytesFedBeforeTheStopStillReachTheFile) {
    path.OpenSessionLog("Quil", "861234567890123");
    path.FeedLog("$RESET;OK\r", 0);  // no line feed yet when the session ends
    path.CloseSessionLog();
    EXPECT_NE(ReadBytes(LogFile()).find("<< $RESET;OK\r" + kRule), std::string::npos);
}

TEST_F(LogPath, FeedersOnTwoThreadsNeverMixTheirLines) {
    path.OpenSessionLog("Quil", "861234567890123");
    auto feed = [this](const char* line, int direction) {
        for (int i = 0; i < 20; ++i) {
            path.FeedLog(line, direction);
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    };
    std::thread writer(feed, "$GNSS\r\n", 1);
    std::thread reader(feed, "$GNSS;010120;120000\r\n", 0);
    writer.join();
    reader.join();
    path.CloseSessionLog();
    for (const std::string& line : ui.LogLines()) {
        EXPECT_TRUE(line == ">> $GNSS\r\n" || line == "<< $GNSS;010120;120000\r\n") << line;
    }
}

TEST(LogFile, TwoFilesOpenedInOneSecondKeepTheirOwnContent) {
    ScratchDir dir;
    ScriptedUi ui;
    CLOGFile file(ui, dir.path, [] { return FixedTime(); });
    ASSERT_EQ(file.Open("Mira7", "861234567890123"), 1);
    file.WriteLine(">> first\r\n");
    file.Close();
    ASSERT_EQ(file.Open("Mira7", "861234567890123"), 1);
    file.WriteLine(">> second\r\n");
    file.Close();
    ASSERT_EQ(file.Open("Mira7", "861234567890123"), 1);
    file.Close();

    const std::string stem = dir / "Logs/Mira7_861234567890123_050319_140709";
    EXPECT_NE(ReadBytes(stem + ".log").find(">> first\r\n"), std::string::npos);
    EXPECT_NE(ReadBytes(stem + "_2.log").find(">> second\r\n"), std::string::npos);
    EXPECT_TRUE(fs::exists(stem + "_3.log"));
    EXPECT_EQ(ReadBytes(stem + ".log").find(">> second"), std::string::npos);
}

TEST(LogFile, IsReadableByItsOwnerOnly) {
    ScratchDir dir;
    ScriptedUi ui;
    CLOGFile file(ui, dir.path, [] { return FixedTime(); });
    const mode_t previous = umask(0);
    const int opened = file.Open("Mira7", "861234567890123");
    umask(previous);
    ASSERT_EQ(opened, 1);
    struct stat st {};
    ASSERT_EQ(stat(file.FilePath().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST(LogFile, NamesAreCutTo19CharactersInTheNameAndTheHeader) {
    ScratchDir dir;
    ScriptedUi ui;
    CLOGFile file(ui, dir.path, [] { return FixedTime(); });
    ASSERT_EQ(file.Open("ABCDEFGHIJKLMNOPQRSTUVWXYZ", "12345678901234567890123"), 1);
    file.Close();
    const std::string name = dir / "Logs/ABCDEFGHIJKLMNOPQRS_1234567890123456789_050319_140709.log";
    EXPECT_EQ(file.FilePath(), name);
    EXPECT_EQ(ReadBytes(name),
              Header("05/03/19 14:07:09", "ABCDEFGHIJKLMNOPQRS", "1234567890123456789") + Footer("05/03/19 14:07:09"));
}

TEST(LogFile, LogsFolderThatIsAFileMeansNoLogForTheConnection) {
    ScratchDir dir;
    ScriptedUi ui;
    WriteBytes(dir / "Logs", "not a folder");
    CLOGFile file(ui, dir.path, [] { return FixedTime(); });
    EXPECT_EQ(file.Open("Quil", "FFFFFFFFFFFFFFFF"), 0);
    EXPECT_EQ(ui.Errors(), std::vector<std::string>{"Не получается создать папку Logs. Операция отклонена"});
    EXPECT_EQ(file.WriteLine(">> $VER\r\n"), 0);
    EXPECT_EQ(file.Close(), 1);
    EXPECT_EQ(ReadBytes(dir / "Logs"), "not a folder");
}

TEST(LogFile, RefusedWriteDropsTheLineAndLoggingGoesOn) {
    ScratchDir dir;
    ScriptedUi ui;
    CLOGFile file(ui, dir.path, [] { return FixedTime(); });
    ASSERT_EQ(file.Open("Quil", "FFFFFFFFFFFFFFFF"), 1);
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit tight = old;
    tight.rlim_cur = fs::file_size(file.FilePath());
    setrlimit(RLIMIT_FSIZE, &tight);
    const int refused = file.WriteLine(">> lost\r\n");
    setrlimit(RLIMIT_FSIZE, &old);
    EXPECT_EQ(refused, 0);
    EXPECT_EQ(file.WriteLine(">> kept\r\n"), 1);
    file.Close();
    const std::string content = ReadBytes(file.FilePath());
    EXPECT_EQ(content.find("lost"), std::string::npos);
    EXPECT_NE(content.find(">> kept\r\n" + kRule), std::string::npos);
}

}  // namespace
