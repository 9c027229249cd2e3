// The layers of the program and the include arrows between them. Every
// project include of every source file must follow an arrow of this table;
// nothing below the Qt layers may include a Qt header.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

namespace fs = std::filesystem;

struct Layer {
    const char* folder;
    bool qt;                        // may include Qt headers
    std::vector<std::string> uses;  // folders, or single headers, it may include
};

// Lowest first. A folder may always include its own files.
const std::vector<Layer>& Layers() {
    static const std::vector<Layer> layers = {
        {"base", false, {}},
        {"model", false, {"base"}},
        {"protocol", false, {"base", "model"}},
        {"transport", false, {"base", "protocol"}},
        {"files", false, {"base", "model", "protocol", "transport"}},
        {"shell", false, {"base", "model", "protocol", "transport", "files"}},
        {"pages/core", false, {"base", "model", "protocol", "shell"}},
        {"pages/gui", true, {"base", "model", "shell", "pages/core"}},
        // The window starts the demo device.
        {"window", true, {"base", "model", "transport", "files", "shell", "pages/gui", "sim"}},
        {"cli", false, {"base", "model", "protocol", "transport", "files", "shell"}},
        // Written from the device side: it shares only the model table.
        {"sim", false, {"model/modeltable.h"}},
    };
    return layers;
}

struct Include {
    std::string file;  // source file, relative to the project
    std::string target;
    bool system = false;
};

// The layer a project path belongs to: the longest folder of the table it lies in.
const Layer* LayerOf(const std::string& path) {
    const Layer* found = nullptr;
    for (const Layer& layer : Layers()) {
        const std::string folder = std::string(layer.folder) + "/";
        if (path.rfind(folder, 0) == 0 && (!found || folder.size() > std::string(found->folder).size() + 1))
            found = &layer;
    }
    return found;
}

bool Allowed(const Layer& from, const std::string& target) {
    const Layer* to = LayerOf(target);
    if (to == &from)
        return true;
    return std::any_of(from.uses.begin(), from.uses.end(),
                       [&](const std::string& use) { return use == target || (to && use == to->folder); });
}

// The target of an #include line, or nothing for any other line.
std::optional<Include> ParseInclude(const std::string& text, const std::string& file) {
    size_t at = text.find_first_not_of(" \t");
    if (at == std::string::npos || text[at] != '#')
        return std::nullopt;
    at = text.find_first_not_of(" \t", at + 1);
    if (at == std::string::npos || text.compare(at, 7, "include") != 0)
        return std::nullopt;
    at = text.find_first_not_of(" \t", at + 7);
    if (at == std::string::npos || (text[at] != '"' && text[at] != '<'))
        return std::nullopt;
    const char close = text[at] == '<' ? '>' : '"';
    const size_t end = text.find(close, at + 1);
    if (end == std::string::npos)
        return std::nullopt;
    return Include{file, text.substr(at + 1, end - at - 1), close == '>'};
}

std::vector<Include> IncludesUnder(const fs::path& root, const std::string& folder) {
    std::vector<Include> includes;
    const fs::path start = root / folder;
    if (!fs::exists(start))
        return includes;
    for (const auto& entry : fs::recursive_directory_iterator(start)) {
        const std::string ext = entry.path().extension().string();
        if (!entry.is_regular_file() || (ext != ".h" && ext != ".cpp"))
            continue;
        const std::string file = fs::relative(entry.path(), root).generic_string();
        std::ifstream in(entry.path());
        std::string text;
        while (std::getline(in, text))
            if (std::optional<Include> include = ParseInclude(text, file))
                includes.push_back(*include);
    }
    return includes;
}

bool IsQtHeader(const Include& include) { return include.system && include.target.rfind("Q", 0) == 0; }

// What an include breaks, or empty when it follows the table.
std::string Violation(const Include& include, const fs::path& root) {
    const Layer* from = LayerOf(include.file);
    if (!from)
        return include.file + " lies in no layer of the table";
    if (IsQtHeader(include))
        return from->qt ? std::string() : include.file + " includes Qt header <" + include.target + ">";
    if (include.system || !fs::exists(root / include.target))
        return {};
    if (Allowed(*from, include.target))
        return {};
    return include.file + " includes " + include.target + ": no arrow " + from->folder + " -> " +
           (LayerOf(include.target) ? LayerOf(include.target)->folder : include.target);
}

// Every include of every layer's folder.
std::vector<Include> AllIncludes(const fs::path& root) {
    std::vector<Include> all;
    for (const Layer& layer : Layers()) {
        const std::vector<Include> found = IncludesUnder(root, layer.folder);
        all.insert(all.end(), found.begin(), found.end());
    }
    return all;
}

std::vector<std::string> Violations(const fs::path& root) {
    std::vector<std::string> found;
    for (const Include& include : AllIncludes(root))
        if (std::string why = Violation(include, root); !why.empty())
            found.push_back(why);
    return found;
}

// The arrows of the table that no include of the code follows.
std::vector<std::string> UnusedArrows(const fs::path& root) {
    const std::vector<Include> includes = AllIncludes(root);
    std::vector<std::string> unused;
    for (const Layer& layer : Layers()) {
        for (const std::string& use : layer.uses) {
            const bool used = std::any_of(includes.begin(), includes.end(), [&](const Include& include) {
                const Layer* to = LayerOf(include.target);
                return LayerOf(include.file) == &layer && !include.system &&
                       (include.target == use || (to && use == to->folder));
            });
            if (!used)
                unused.push_back(std::string(layer.folder) + " -> " + use);
        }
    }
    return unused;
}

std::string ArrowList() {
    std::string text;
    for (const Layer& layer : Layers()) {
        text += std::string(layer.folder) + (layer.qt ? " (Qt)" : "") + " ->";
        for (const std::string& use : layer.uses)
            text += " " + use;
        text += "\n";
    }
    return text;
}

TEST(Layers, EveryIncludeFollowsAnArrowOfTheTable) {
    const std::vector<std::string> violations = Violations(ORVENA_SOURCE_DIR);
    std::string report;
    for (const std::string& v : violations)
        report += v + "\n";
    EXPECT_TRUE(violations.empty()) << report << "\nThe arrows allowed:\n" << ArrowList();
    RecordProperty("arrows", ArrowList());
}

// The table allows only what the code uses: an arrow nothing follows is removed.
TEST(Layers, EveryArrowOfTheTableIsUsed) {
    std::string report;
    for (const std::string& arrow : UnusedArrows(ORVENA_SOURCE_DIR))
        report += arrow + "\n";
    EXPECT_TRUE(report.empty()) << "Arrows no include follows:\n" << report;
}

// The check itself, on a scratch tree: a wrong arrow, a Qt header below the
// window and a simulator that reaches past the model table are each caught.
TEST(Layers, AWrongIncludeIsCaught) {
    const fs::path root = fs::temp_directory_path() / ("orvena_layers_" + std::to_string(::getpid()));
    fs::remove_all(root);
    const auto write = [&](const std::string& path, const std::string& text) {
        fs::create_directories((root / path).parent_path());
        std::ofstream(root / path) << text;
    };
    write("model/dataserver.h", "");
    write("model/modeltable.h", "");
    write("files/zrafile.h", "#include \"shell/session.h\"\n");
    write("shell/session.h", "#include \"files/zrafile.h\"\n#include <QString>\n");
    write("sim/device.cpp", "#include \"model/modeltable.h\"\n#include \"model/dataserver.h\"\n");
    write("window/window.cpp", "#include <QWidget>\n#include \"shell/session.h\"\n");

    const std::vector<std::string> found = Violations(root);
    fs::remove_all(root);
    const std::vector<std::string> expected = {
        "files/zrafile.h includes shell/session.h: no arrow files -> shell",
        "shell/session.h includes Qt header <QString>",
        "sim/device.cpp includes model/dataserver.h: no arrow sim -> model",
    };
    EXPECT_EQ(found.size(), expected.size());
    for (const std::string& e : expected)
        EXPECT_NE(std::find(found.begin(), found.end(), e), found.end()) << e;
}

}  // namespace
