// Creating, opening, saving and closing settings files: names, folders, size
// and format limits, and a save that fails halfway.
#include "files/zrafile.h"
#include "files_fixture.h"
#include "model/dataserver.h"
#include "protocol/zramds.h"

#include <csignal>
#include <filesystem>

#include <sys/resource.h>
#include <sys/stat.h>

namespace {

namespace fs = std::filesystem;

const std::string kFolderError = "Не получается создать папку Settings. Операция отклонена";
const std::string kOpenError = "Не получается открыть файл";
const std::string kEmptyError = "Файл отстуствует. Операция отклонена!";
const std::string kSizeError = "Размер файла больше 1Mb. Операция отклонена!";
const std::string kFormatError = "Неверный тип или ошибка файла!";

class SettingsFile : public ::testing::Test {
protected:
    int32_t Mode() {
        int32_t mode = 0;
        data.Get(DI_MODE, mode);
        return mode;
    }
    // Puts bytes into the settings folder and has the next dialog choose them.
    std::string Offer(const std::string& name, const std::string& bytes) {
        fs::create_directories(file.SettingsFolder());
        const std::string path = file.SettingsFolder() + "/" + name;
        WriteBytes(path, bytes);
        ui.answers.push_back(path);
        return path;
    }

    ScratchDir dir;
    ScriptedUi ui;
    CDataServer data;
    CZRAMDS codec{data};
    bool connected = false;
    int newType = 70;
    CZRAFile file{data,
                  codec,
                  ui,
                  ui,
                  {[this] { return connected; }, [this] { return newType; }},
                  dir.path,
                  [] { return FixedTime(); }};
};

std::string GoldenType70() { return ReadBytes((fs::path(__FILE__).parent_path() / "golden_type70.kvs").string()); }

TEST_F(SettingsFile, NewFileForType70HoldsExactlyTheDefaultsLines) {
    ui.answers.push_back(dir / "Settings/new.kvs");
    ASSERT_EQ(file.NewFile(), 1);
    EXPECT_EQ(ReadBytes(dir / "Settings/new.kvs"), GoldenType70());
    std::string path;
    EXPECT_EQ(file.GetFilePath(path), 1);
    EXPECT_EQ(path, dir / "Settings/new.kvs");
    EXPECT_EQ(file.NewFile(), 0) << "a second file while one is open";
    EXPECT_EQ(file.CloseFile(), 1);
    EXPECT_EQ(file.GetFilePath(path), 0);
}

TEST_F(SettingsFile, NewFileReplacesAnExistingFileWithoutAQuestion) {
    Offer("old.kvs", "something else entirely\n");
    ASSERT_EQ(file.NewFile(), 1);
    EXPECT_EQ(ReadBytes(dir / "Settings/old.kvs"), GoldenType70());
    EXPECT_TRUE(ui.Errors().empty());
}

TEST_F(SettingsFile, ProposedNameComesFromTheNewFileTypeTheImeiAndTheTime) {
    struct Case {
        bool connected;
        int type;
        const char* expected;
    } cases[] = {
        {false, 70, "Quil_FFFFFFFFFFFFFFFF_050319_140709.kvs"}, {true, 11, "Mira7_861234567890123_050319_140709.kvs"},
        {false, 8, "Quil_FFFFFFFFFFFFFFFF_050319_140709.kvs"},  {false, 0, "Quil_FFFFFFFFFFFFFFFF_050319_140709.kvs"},
        {true, 20, "Vel_861234567890123_050319_140709.kvs"},
    };
    char imei[16] = "861234567890123";
    data.Set(DI_IMEI, imei);
    for (const Case& c : cases) {
        connected = c.connected;
        newType = c.type;
        EXPECT_EQ(file.ChooseFile(true), 0) << "the dialog was cancelled";
        ASSERT_FALSE(ui.dialogs.empty());
        EXPECT_TRUE(ui.dialogs.back().forSaving);
        EXPECT_EQ(ui.dialogs.back().folder, dir / "Settings");
        EXPECT_EQ(ui.dialogs.back().proposedName, c.expected);
    }
    EXPECT_EQ(file.ChooseFile(false), 0);
    EXPECT_EQ(ui.dialogs.back().proposedName, "") << "opening proposes no name";
}

TEST_F(SettingsFile, SettingsFolderThatIsAFileRefusesEveryCommand) {
    WriteBytes(dir / "Settings", "not a folder");
    EXPECT_EQ(file.NewFile(), 0);
    EXPECT_EQ(file.OpenFile(), 0);
    EXPECT_EQ(ui.Errors(), std::vector<std::string>(2, kFolderError));
    EXPECT_TRUE(ui.dialogs.empty());
    EXPECT_EQ(ReadBytes(dir / "Settings"), "not a folder");
}

TEST_F(SettingsFile, PathsThatCannotBeOpenedAreNamedInTheBox) {
    fs::create_directories(dir / "Settings/sub.kvs");
    ui.answers.push_back(dir / "Settings/missing.kvs");
    ui.answers.push_back(dir / "Settings/sub.kvs");
    ui.answers.push_back(dir / "Settings/sub.kvs");
    EXPECT_EQ(file.OpenFile(), 0);
    EXPECT_EQ(file.OpenFile(), 0);
    EXPECT_EQ(file.NewFile(), 0);
    EXPECT_EQ(ui.Errors(),
              (std::vector<std::string>{kOpenError + dir / "Settings/missing.kvs",
                                        kOpenError + dir / "Settings/sub.kvs", kOpenError + dir / "Settings/sub.kvs"}));
    EXPECT_FALSE(fs::exists(dir / "Settings/missing.kvs"));
}

unsigned ModeBits(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0;
}

// "Создать" and "Сохранить" save like the command-line tool: a link is followed
// and its target replaced; what is not a regular file is never replaced.
TEST_F(SettingsFile, SavesFollowLinksAndReplaceOnlyRegularFiles) {
    fs::create_directories(dir / "Settings");
    const std::string fifo = dir / "Settings/fifo.kvs";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    fs::create_symlink("fifo.kvs", dir / "Settings/to-fifo.kvs");
    for (const std::string& chosen : {fifo, dir / "Settings/to-fifo.kvs"}) {
        ui.ClearErrors();
        ui.answers.push_back(chosen);
        EXPECT_EQ(file.NewFile(), 0) << chosen;
        EXPECT_EQ(ui.Errors(), std::vector<std::string>{kOpenError + chosen});
    }
    EXPECT_TRUE(fs::is_fifo(fifo));

    WriteBytes(dir / "Settings/target.kvs", "old");
    fs::create_symlink("target.kvs", dir / "Settings/link.kvs");
    ui.answers.push_back(dir / "Settings/link.kvs");
    ASSERT_EQ(file.NewFile(), 1);
    EXPECT_TRUE(fs::is_symlink(dir / "Settings/link.kvs"));
    EXPECT_EQ(ReadBytes(dir / "Settings/target.kvs"), GoldenType70());
    // The open file turns into a FIFO behind the window's back: the save is refused.
    fs::remove(dir / "Settings/target.kvs");
    ASSERT_EQ(mkfifo((dir / "Settings/target.kvs").c_str(), 0600), 0);
    ui.ClearErrors();
    EXPECT_EQ(file.SaveFile(), 0);
    EXPECT_EQ(ui.Errors(), std::vector<std::string>{kFormatError});
    EXPECT_TRUE(fs::is_fifo(dir / "Settings/target.kvs"));
}

TEST_F(SettingsFile, PathsTheSystemRefusesEndInTheBoxNotInAnException) {
    fs::create_directories(dir / "Settings");
    fs::create_symlink("loop.kvs", dir / "Settings/loop.kvs");
    const std::string tooLong = dir / ("Settings/" + std::string(300, 'n') + ".kvs");
    for (const std::string& chosen : {dir / "Settings/loop.kvs", tooLong}) {
        ui.ClearErrors();
        ui.answers.push_back(chosen);
        ui.answers.push_back(chosen);
        EXPECT_EQ(file.OpenFile(), 0);
        EXPECT_EQ(file.NewFile(), 0);
        EXPECT_EQ(ui.Errors(), std::vector<std::string>(2, kOpenError + chosen));
    }
}

// Settings files carry the device password: a new one is its owner's only,
// an existing one keeps the bits its owner gave it.
TEST_F(SettingsFile, NewFilesAreReadableByTheirOwnerOnly) {
    const mode_t previous = umask(0);
    ui.answers.push_back(dir / "Settings/new.kvs");
    const int created = file.NewFile();
    umask(previous);
    ASSERT_EQ(created, 1);
    EXPECT_EQ(ModeBits(dir / "Settings/new.kvs"), 0600u);
    file.CloseFile();
    const std::string shared = Offer("shared.kvs", GoldenType70());
    ASSERT_EQ(chmod(shared.c_str(), 0640), 0);
    ASSERT_EQ(file.OpenFile(), 1);
    ASSERT_EQ(file.SaveFile(), 1);
    EXPECT_EQ(ModeBits(shared), 0640u);
}

std::string Padded(const std::string& start, size_t size) {
    std::string text = start;
    while (text.size() < size) {
        std::string comment = "; filler line\r\n";
        if (text.size() + comment.size() > size)
            comment = std::string(size - text.size(), 'x');
        text += comment;
    }
    return text;
}

TEST_F(SettingsFile, OpeningTakesWhatItCanAndRefusesWhatItMust) {
    const std::string header = "KVS CONFIG FILE, Ver. 01.00\r\n";
    std::string garbage;
    for (int i = 0; i < 600; ++i)
        garbage += static_cast<char>((i * 131 + 7) % 256);
    struct Case {
        const char* name;
        std::string bytes;
        int result;
        std::string error;
        int32_t mode;  // after the call; 1 is the default
    } cases[] = {
        {"empty", "", 0, kEmptyError, 1},
        {"14 bytes", "KVS CONFIG FIL", 0, kFormatError, 1},
        {"20 bytes without a line feed", "KVS CONFIG FILE;MODE", 1, "", 1},
        {"binary garbage", garbage, 0, kFormatError, 1},
        {"header after garbage", "\x01\x02KVS CONFIG FILE\n" + garbage + "\nMODE;3\r\n", 1, "", 3},
        {"NUL bytes", header + std::string("\0\0MODE;2\r\n", 10) + "MODE;4\r\n" + std::string(5, '\0'), 1, "", 4},
        {"a 2 KB line", header + "MODE;" + std::string(2048, '7') + "\r\nMODE;5\r\n", 1, "", 5},
        {"another version", "KVS CONFIG FILE, Ver. 02.07\r\nMODE;6\r\n", 1, "", 6},
        {"bytes after the last line feed", header + "MODE;2\r\nMODE;3", 1, "", 2},
        {"1 000 000 bytes", Padded(header + "MODE;5\r\n", 1000000), 1, "", 5},
        {"1 000 001 bytes", Padded(header + "MODE;5\r\n", 1000001), 0, kSizeError, 1},
        {"no header", "MODE;3\r\nKVS CONFIG FILE\r\n", 0, kFormatError, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        data.ResetToDefaults(70);
        const std::string path = Offer("case.kvs", c.bytes);
        ui.ClearErrors();
        EXPECT_EQ(file.OpenFile(), c.result);
        EXPECT_EQ(file.IsOpen(), c.result == 1);
        EXPECT_EQ(ui.Errors(), c.error.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.error});
        EXPECT_EQ(Mode(), c.mode);
        EXPECT_EQ(ReadBytes(path), c.bytes) << "opening never writes";
        file.CloseFile();
    }
}

TEST_F(SettingsFile, FileOfAnotherTypeReplacesOnlyTheGroupsItHolds) {
    data.ResetToDefaults(70);
    char name[9] = "Keep";
    data.Set(DI_DEVICE_NAME, name);
    Offer("mira7.kvs", "KVS CONFIG FILE, Ver. 01.00\r\nHWCFG;11\r\nMODE;3\r\nWIFINET1;1;Yard;0;0;yardkey;1;;;;;\r\n");
    ASSERT_EQ(file.OpenFile(), 1);
    DeviceTypeRecord type;
    data.Get(DI_DEV_TYPE, type);
    EXPECT_EQ(type.type, 11);
    EXPECT_EQ(Mode(), 3);
    data.Get(DI_DEVICE_NAME, name);
    EXPECT_STREQ(name, "Keep");
}

// Writes beyond this size fail, as on a full disk.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_old);
        rlimit limit = m_old;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &m_old); }

private:
    rlimit m_old{};
};

TEST_F(SettingsFile, SaveThatFailsHalfwayKeepsTheLastSavedContent) {
    ui.answers.push_back(dir / "Settings/kept.kvs");
    ASSERT_EQ(file.NewFile(), 1);
    data.Set(DI_MODE, int32_t{5});
    {
        FileSizeLimit limit(100);
        EXPECT_EQ(file.SaveFile(), 0);
    }
    EXPECT_EQ(ui.Errors(), std::vector<std::string>{kFormatError});
    EXPECT_EQ(ReadBytes(dir / "Settings/kept.kvs"), GoldenType70());
    size_t entries = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(dir / "Settings"))
        ++entries;
    EXPECT_EQ(entries, 1u) << "no temporary file is left behind";

    EXPECT_EQ(file.SaveFile(), 1);
    EXPECT_NE(ReadBytes(dir / "Settings/kept.kvs").find("\r\nMODE;5\r\n"), std::string::npos);
}

TEST_F(SettingsFile, NewFileThatCannotBeWrittenIsReported) {
    ui.answers.push_back(dir / "Settings/big.kvs");
    {
        FileSizeLimit limit(100);
        EXPECT_EQ(file.NewFile(), 0);
    }
    EXPECT_EQ(ui.Errors(), std::vector<std::string>{kFormatError});
    EXPECT_FALSE(file.IsOpen());
    EXPECT_FALSE(fs::exists(dir / "Settings/big.kvs"));
}

TEST_F(SettingsFile, SaveWithoutAnOpenFileDoesNothing) {
    EXPECT_EQ(file.SaveFile(), 0);
    EXPECT_TRUE(ui.Errors().empty());
}

}  // namespace
