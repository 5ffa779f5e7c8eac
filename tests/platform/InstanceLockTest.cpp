#include "platform/InstanceLock.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

using namespace fray;

// Where the lock lives: the runtime folder, else the one it normally is, else a private
// folder under /tmp that is checked, never trusted.
TEST(InstanceLock, DefaultPath) {
    const std::string uid = std::to_string(getuid()), tmp = "tmp/fraymark-" + uid;
    struct Row {
        const char* name;
        std::string runtimeDir; // relative to the temporary folder; "" for unset
        std::string folder;     // made beforehand, open to all; likewise
        std::string link;       // made beforehand as a link to a folder of ours; likewise
        std::string expect;     // the lock's folder, likewise; "" for no lock at all
    } rows[] = {
        {"the runtime folder", "xdg", "", "", "xdg"},
        {"unset: the user's run folder", "", "run-user", "", "run-user"},
        {"unset, no run folder: a private folder under /tmp", "", "", "", tmp},
        {"a run folder that is a link is not ours", "", "", "run-user", tmp},
        {"an open folder of ours under /tmp is closed first", "", tmp, "", tmp},
        {"a link put where the /tmp folder goes: no lock", "", "", tmp, ""},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        test::TempDir t;
        t.mkdir("tmp");
        if (!r.folder.empty()) chmod(t.mkdir(r.folder).c_str(), 0777);
        if (!r.link.empty()) std::filesystem::create_directory_symlink(t.mkdir("elsewhere"), t / r.link);
        const std::string base = t.str() + "/";
        EXPECT_EQ(InstanceLock::defaultPath(r.runtimeDir.empty() ? "" : base + r.runtimeDir,
                                            base + "run-user", base + "tmp"),
                  r.expect.empty() ? "" : base + r.expect + "/io.fraymark.Fraymark.lock");
        struct stat st {};
        if (r.expect == tmp) {
            ASSERT_EQ(stat((base + tmp).c_str(), &st), 0);
            EXPECT_EQ(st.st_mode & 0777, 0700u) << "closed to others";
        }
    }
}
