#include "DesktopSessions.h"

#include "session/PathText.h"

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QUrl>

#include <string_view>

namespace fray::DesktopSessions {

namespace {

constexpr std::string_view deepLinkBase = "claude://claude.ai/code/";

bool endsWith(std::string_view s, std::string_view tail) {
    return s.size() >= tail.size() && s.substr(s.size() - tail.size()) == tail;
}

std::optional<std::string> readSmall(FileAccess& files, const std::string& path) {
    auto attrs = files.attributes(path);
    if (!attrs || attrs->kind != EntryKind::file || attrs->size > maxFileSize) return std::nullopt;
    auto file = files.open(path);
    if (!file) return std::nullopt;
    // One byte past the cap tells a file that grew since its attributes were read.
    std::string bytes(static_cast<std::size_t>(maxFileSize) + 1, '\0');
    std::size_t got = 0;
    while (got < bytes.size()) {
        auto n = file->readAt(got, bytes.data() + got, bytes.size() - got);
        if (!n) return std::nullopt;
        if (*n == 0) break;
        got += *n;
    }
    if (got > maxFileSize) return std::nullopt;
    bytes.resize(got);
    return bytes;
}

std::optional<Match> matchOf(const std::string& bytes, const std::string& cli) {
    const auto doc =
        QJsonDocument::fromJson(QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(bytes.size())));
    if (!doc.isObject()) return std::nullopt;
    const QJsonObject o = doc.object();
    const QJsonValue id = o.value("cliSessionId");
    if (!id.isString() || id.toString().toStdString() != cli) return std::nullopt;

    Match m;
    std::optional<QString> fromArray;
    if (const QJsonValue ids = o.value("bridgeSessionIds"); ids.isArray()) {
        const QJsonArray a = ids.toArray();
        bool allStrings = true;
        for (const auto& v : a)
            allStrings = allStrings && v.isString();
        for (auto it = a.end(); allStrings && it != a.begin();) {
            --it;
            if (!it->toString().isEmpty()) {
                fromArray = it->toString();
                break;
            }
        }
    }
    if (fromArray)
        m.bridge = fromArray->toStdString();
    else if (const QJsonValue one = o.value("bridgeSessionId"); one.isString() && !one.toString().isEmpty())
        m.bridge = one.toString().toStdString();
    if (const QJsonValue t = o.value("title"); t.isString()) m.title = t.toString().toStdString();
    return m;
}

} // namespace

std::string directory(const std::string& configHome) {
    return configHome + "/Claude/claude-code-sessions";
}

std::string cliSessionId(const SessionInfo& session) {
    std::string name(PathText::lastComponent(session.id));
    const auto dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0) name.resize(dot);
    return name;
}

std::optional<Match> find(FileAccess& files, const std::string& dir, const std::string& cli) {
    if (cli.empty()) return std::nullopt;
    // The key and its value as compact JSON writes them: a cheap test before any parsing.
    const std::string needle = "\"cliSessionId\":\"" + cli + "\"";
    auto level1 = files.list(dir, false);
    if (!level1) return std::nullopt;
    for (const auto& a : *level1) {
        const std::string aPath = PathText::join(dir, a.name);
        auto level2 = files.list(aPath, false);
        if (!level2) continue;
        for (const auto& b : *level2) {
            const std::string bPath = PathText::join(aPath, b.name);
            auto level3 = files.list(bPath, false);
            if (!level3) continue;
            for (const auto& f : *level3) {
                if (f.name.rfind("local_", 0) != 0 || !endsWith(f.name, ".json")) continue;
                auto bytes = readSmall(files, PathText::join(bPath, f.name));
                if (!bytes || bytes->find(needle) == std::string::npos) continue;
                if (auto m = matchOf(*bytes, cli)) return m;
            }
        }
    }
    return std::nullopt;
}

std::optional<std::string> deepLink(const std::string& bridge) {
    // Percent-encoded with what a URL path may carry as it is.
    const QByteArray encoded = QUrl::toPercentEncoding(QString::fromStdString(bridge), "!$&'()*+,;=:@/");
    std::string link = std::string(deepLinkBase) + encoded.toStdString();
    if (!QUrl(QString::fromStdString(link), QUrl::StrictMode).isValid()) return std::nullopt;
    return link;
}

} // namespace fray::DesktopSessions
