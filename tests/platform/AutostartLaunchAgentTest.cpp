#include "platform/macos/AutostartLaunchAgent.h"
#include "support/TempDir.h"

#include <QXmlStreamReader>

#include <gtest/gtest.h>

using namespace fray;
using fray::test::TempDir;

namespace {

// The top-level dictionary as "key:tag" pairs, and the strings of its array, read
// independently of the writer.
std::string outline(const std::string& plist) {
    std::string out;
    QXmlStreamReader xml(QByteArray::fromStdString(plist));
    for (int depth = 0; !xml.atEnd();) {
        const auto t = xml.readNext();
        if (t == QXmlStreamReader::EndElement) --depth;
        if (t != QXmlStreamReader::StartElement) continue;
        const std::string tag = xml.name().toString().toStdString();
        if (++depth == 3 && tag == "key") {
            out += (out.empty() ? "" : " ") + xml.readElementText().toStdString() + ":";
            --depth;
        } else if (depth == 3) {
            out += tag;
        } else if (depth == 4) {
            out += "(" + xml.readElementText().toStdString() + ")";
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

} // namespace

TEST(LaunchAgent, FileHoldsTheFourKeysAndMarkupInThePathRoundTrips) {
    for (std::string path : {"/Apps/R&D <beta>/Fraymark", "/Users/zoë/Fray Mark.app/x", "/a/\"q\"/'s'"}) {
        SCOPED_TRACE(path);
        TempDir tmp;
        AutostartLaunchAgent agent(tmp.str(), path);
        ASSERT_EQ(agent.setEnabled(true), std::nullopt);
        const std::string text = fray::test::readFile(agent.entryPath());
        EXPECT_EQ(text.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>", 0), 0u);
        EXPECT_EQ(outline(text),
                  "Label:string ProcessType:string ProgramArguments:array(" + path + ") RunAtLoad:true");
        EXPECT_NE(text.find("<string>io.fraymark.Fraymark</string>"), std::string::npos);
        EXPECT_NE(text.find("<string>Interactive</string>"), std::string::npos);
        EXPECT_EQ(agent.registeredPath(), path);
    }
}

TEST(LaunchAgent, RegisteredPathOfHandWrittenFiles) {
    const std::string truncated = plistWithArguments("<array><string>/a/b</string></array>");
    const std::pair<std::string, std::optional<std::string>> rows[] = {
        // clang-format off
        {plistWithArguments("<array><string>/a/b</string><string>--x</string></array>"), "/a/b"},
        {plistWithArguments("<array/>"), std::nullopt},
        {plistWithArguments("<array><string>/a/b</string><integer>3</integer></array>"), std::nullopt},
        {plistWithArguments("<string>/a/b</string>"), std::nullopt},
        {"<plist version=\"1.0\"><dict><key>Label</key><string>x</string></dict></plist>", std::nullopt},
        {truncated.substr(0, truncated.size() - 30), std::nullopt}, // cut inside the array
        {"<html><dict><key>ProgramArguments</key><array><string>/a</string></array></dict></html>", std::nullopt},
        {"bplist00\x01\x02", std::nullopt},
        {plistWithArguments("<array><string>/R&amp;D/x</string></array>"), "/R&D/x"},
        // clang-format on
    };
    for (const auto& [text, path] : rows) {
        SCOPED_TRACE(text);
        TempDir tmp;
        tmp.write("Library/LaunchAgents/io.fraymark.Fraymark.plist", text);
        AutostartLaunchAgent agent(tmp.str(), "/unused");
        EXPECT_EQ(agent.registeredPath(), path);
        EXPECT_TRUE(agent.isEnabled());
    }
}
