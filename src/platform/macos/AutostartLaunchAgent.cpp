#include "AutostartLaunchAgent.h"

#include "platform/AppId.h"
#include "platform/AutostartFiles.h"

#include <QXmlStreamReader>

#include <vector>

namespace fray {

namespace {

std::string xmlEscaped(const std::string& s) {
    std::string out;
    for (char c : s) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

// One property-list value; only what ProgramArguments needs is kept.
struct PlistNode {
    QString tag;
    QString text;
    std::vector<std::pair<QString, PlistNode>> entries; // dict
    std::vector<PlistNode> items;                       // array
};

bool readValue(QXmlStreamReader& xml, PlistNode& node);

bool readChildren(QXmlStreamReader& xml, PlistNode& node) {
    QString pendingKey;
    bool haveKey = false;
    while (xml.readNextStartElement()) {
        if (node.tag == u"dict" && xml.name() == u"key") {
            pendingKey = xml.readElementText();
            haveKey = true;
            continue;
        }
        PlistNode child;
        if (!readValue(xml, child)) return false;
        if (node.tag == u"array") {
            node.items.push_back(std::move(child));
        } else {
            if (!haveKey) return false; // a dict value without its key
            node.entries.emplace_back(pendingKey, std::move(child));
            haveKey = false;
        }
    }
    return !xml.hasError() && !haveKey;
}

bool readValue(QXmlStreamReader& xml, PlistNode& node) {
    node.tag = xml.name().toString();
    if (node.tag == u"dict" || node.tag == u"array") return readChildren(xml, node);
    if (node.tag == u"true" || node.tag == u"false") {
        xml.skipCurrentElement();
        return !xml.hasError();
    }
    node.text = xml.readElementText(QXmlStreamReader::ErrorOnUnexpectedElement);
    return !xml.hasError();
}

} // namespace

AutostartLaunchAgent::AutostartLaunchAgent(std::string home, std::string executable)
    : home_(std::move(home)), executable_(std::move(executable)) {}

std::string AutostartLaunchAgent::entryPath() const {
    return home_ + "/Library/LaunchAgents/" + std::string(appId) + ".plist";
}

bool AutostartLaunchAgent::isEnabled() const {
    return AutostartFiles::exists(entryPath());
}

std::optional<std::string> AutostartLaunchAgent::registeredPath() const {
    auto text = AutostartFiles::read(entryPath());
    if (!text) return std::nullopt;
    return firstProgramArgument(*text);
}

std::optional<AutostartError> AutostartLaunchAgent::setEnabled(bool on) {
    std::string path = entryPath();
    if (!on) return AutostartFiles::removeIfPresent(path);
    if (executable_.empty()) return AutostartFiles::missingExecutable();
    if (auto err = AutostartFiles::checkBaseFolder(home_)) return err;
    if (auto err = AutostartFiles::makeFolder(home_ + "/Library/LaunchAgents")) return err;
    return AutostartFiles::writeAtomically(path, plistText(executable_));
}

std::string AutostartLaunchAgent::plistText(const std::string& executable) {
    std::string label = xmlEscaped(std::string(appId));
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
           "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
           "<plist version=\"1.0\">\n"
           "<dict>\n"
           "\t<key>Label</key>\n"
           "\t<string>" +
           label +
           "</string>\n"
           "\t<key>ProcessType</key>\n"
           "\t<string>Interactive</string>\n"
           "\t<key>ProgramArguments</key>\n"
           "\t<array>\n"
           "\t\t<string>" +
           xmlEscaped(executable) +
           "</string>\n"
           "\t</array>\n"
           "\t<key>RunAtLoad</key>\n"
           "\t<true/>\n"
           "</dict>\n"
           "</plist>\n";
}

std::optional<std::string> AutostartLaunchAgent::firstProgramArgument(const std::string& plist) {
    QXmlStreamReader xml(QByteArray::fromStdString(plist));
    if (!xml.readNextStartElement() || xml.name() != u"plist") return std::nullopt;
    if (!xml.readNextStartElement()) return std::nullopt;
    PlistNode root;
    if (!readValue(xml, root) || root.tag != u"dict") return std::nullopt;
    // A file broken after the dictionary is still not a property list.
    while (!xml.atEnd())
        xml.readNext();
    if (xml.hasError()) return std::nullopt;
    for (const auto& [key, value] : root.entries) {
        if (key != u"ProgramArguments") continue;
        if (value.tag != u"array" || value.items.empty()) return std::nullopt;
        for (const auto& item : value.items)
            if (item.tag != u"string") return std::nullopt;
        return value.items.front().text.toStdString();
    }
    return std::nullopt;
}

bool AutostartLaunchAgent::registeredHere() const {
    auto path = registeredPath();
    return !path || AutostartFiles::samePath(*path, executable_);
}

} // namespace fray
