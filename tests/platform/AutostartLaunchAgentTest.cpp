#include "platform/macos/AutostartLaunchAgent.h"
#include "support/TempDir.h"

#include <QXmlStreamReader>

#include <gtest/gtest.h>

#include <map>

using namespace fray;
using fray::test::TempDir;

namespace {

// The top-level dictionary as key -> tag of its value, read independently of the writer.
std::map<std::string, std::string> topLevelKeys(const std::string& plist) {
    std::map<std::string, std::string> out;
    QXmlStreamReader xml(QByteArray::fromStdString(plist));
    int depth = 0;
    std::string key;
    while (!xml.atEnd()) {
        auto t = xml.readNext();
        if (t == QXmlStreamReader::StartElement) {
            ++depth;
            if (depth == 3 && xml.name() == u"key") {
                key = xml.readElementText().toStdString();
                --depth;
            } else if (depth == 3) {
                out[key] = xml.name().toString().toStdString();
            }
        } else if (t == QXmlStreamReader::EndElement) {
            --depth;
        }
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    return out;
}

std::string plistWithArguments(const std::string& value) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n<dict>\n"
           "<key>Label</key><string>io.fraymark.Fraymark</string>\n"
           "<key>ProgramArguments</key>" +
           value + "\n</dict>\n</plist>\n";
}

std::string withoutTail(std::string s, std::size_t n) {
    return s.substr(0, s.size() - n);
}

} // namespace

TEST(LaunchAgent, FileHoldsExactlyTheFourKeys) {
    TempDir tmp;
    AutostartLaunchAgent agent(tmp.str(), "/Applications/Fraymark.app/Contents/MacOS/Fraymark");
    ASSERT_EQ(agent.setEnabled(true), std::nullopt);
    std::string text = fray::test::readFile(agent.entryPath());
    EXPECT_EQ(text.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>", 0), 0u);
    EXPECT_NE(text.find("<plist version=\"1.0\">"), std::string::npos);
    auto keys = topLevelKeys(text);
    EXPECT_EQ(keys, (std::map<std::string, std::string>{{"Label", "string"},
                                                        {"ProgramArguments", "array"},
                                                        {"RunAtLoad", "true"},
                                                        {"ProcessType", "string"}}));
    EXPECT_NE(text.find("<string>io.fraymark.Fraymark</string>"), std::string::npos);
    EXPECT_NE(text.find("<string>Interactive</string>"), std::string::npos);
    // ProgramArguments holds the executable and nothing else.
    auto open = text.find("<array>"), close = text.find("</array>");
    ASSERT_NE(close, std::string::npos);
    std::string array = text.substr(open, close - open);
    EXPECT_EQ(array.find("<string>", array.find("<string>") + 1), std::string::npos);
    EXPECT_EQ(agent.registeredPath(), "/Applications/Fraymark.app/Contents/MacOS/Fraymark");
}

TEST(LaunchAgent, MarkupCharactersInThePathRoundTrip) {
    for (std::string path : {"/Apps/R&D <beta>/Fraymark", "/Users/zoë/Fray Mark.app/x", "/a/\"q\"/'s'"}) {
        TempDir tmp;
        AutostartLaunchAgent agent(tmp.str(), path);
        ASSERT_EQ(agent.setEnabled(true), std::nullopt);
        EXPECT_EQ(agent.registeredPath(), path);
    }
}

TEST(LaunchAgent, RegisteredPathOfHandWrittenFiles) {
    struct Row {
        const char* name;
        std::string text;
        std::optional<std::string> path;
    };
    const Row rows[] = {
        {"TwoArguments", plistWithArguments("<array><string>/a/b</string><string>--x</string></array>"),
         "/a/b"},
        {"EmptyArray", plistWithArguments("<array/>"), std::nullopt},
        {"NotAllStrings", plistWithArguments("<array><string>/a/b</string><integer>3</integer></array>"),
         std::nullopt},
        {"StringNotArray", plistWithArguments("<string>/a/b</string>"), std::nullopt},
        {"NoArguments", "<plist version=\"1.0\"><dict><key>Label</key><string>x</string></dict></plist>",
         std::nullopt},
        {"TruncatedInTheArray", withoutTail(plistWithArguments("<array><string>/a/b</string></array>"), 30),
         std::nullopt},
        {"NotAPlist",
         "<html><dict><key>ProgramArguments</key><array><string>/a</string></array></dict></html>",
         std::nullopt},
        {"NotXml", "bplist00\x01\x02", std::nullopt},
        {"EntitiesDecoded", plistWithArguments("<array><string>/R&amp;D/x</string></array>"), "/R&D/x"},
    };
    for (const auto& r : rows) {
        TempDir tmp;
        tmp.write("Library/LaunchAgents/io.fraymark.Fraymark.plist", r.text);
        AutostartLaunchAgent agent(tmp.str(), "/unused");
        EXPECT_EQ(agent.registeredPath(), r.path) << r.name;
        EXPECT_TRUE(agent.isEnabled()) << r.name;
    }
}
