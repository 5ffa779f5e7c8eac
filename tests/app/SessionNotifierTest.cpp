#include "app/SessionNotifier.h"
#include "model/Settings.h"
#include "platform/fake/FakePlatform.h"

#include <gtest/gtest.h>

using namespace fray;
using S = SessionStatus;

namespace {

struct Notifier {
    Instant now = fromUnixSeconds(1767225600.0);
    Settings settings{std::make_shared<PreferencesStore>()};
    fake::Notices notices;
    SessionNotifier notifier{settings, notices, [](const SessionInfo&) {}, [this] { return now; }};

    SessionInfo session(S status, std::optional<PendingCall> call = {}, double promptAgo = 10) {
        auto s = SessionInfo::make("/p/s.jsonl", "orbit-api", "feat/stripe-webhooks", {}, status, 3, now, now,
                                   now - promptAgo);
        s.pendingCall = std::move(call);
        return s;
    }
    void update(SessionInfo s, double advance = 2) {
        now = now + advance;
        notifier.update({std::move(s)});
    }
};

const PendingCall migrate{"Bash", "npx prisma migrate deploy"};

} // namespace

// What the notification says, its action and its closing are checked on a real bus by
// the command-line tests; here, when it is shown again, replaced or closed.
TEST(SessionNotifier, OneNotificationPerWaitReplacedInPlaceAndClosed) {
    Notifier n;
    n.update(n.session(S::working));
    EXPECT_TRUE(n.notices.shown.empty());
    n.update(n.session(S::needsAction, migrate));
    n.update(n.session(S::needsAction, migrate));
    ASSERT_EQ(n.notices.shown.size(), 1u) << "a quiet tick says nothing";
    const auto first = n.notices.shown[0];
    n.update(n.session(S::needsAction, PendingCall{"Edit", "src/a.ts"}));
    ASSERT_EQ(n.notices.shown.size(), 2u);
    EXPECT_EQ(n.notices.shown[1].replaced, first.id) << "replaced, not stacked";
    EXPECT_EQ(n.notices.shown[1].notification.body, "Edit: src/a.ts");

    n.update(n.session(S::working));
    EXPECT_EQ(n.notices.closed, std::vector<std::uint32_t>{first.id});
    n.update(n.session(S::needsAction));
    n.notifier.update({});
    EXPECT_EQ(n.notices.closed.size(), 2u) << "a session that is gone stops waiting too";
}

TEST(SessionNotifier, SettingsDecide) {
    Notifier off;
    off.settings.setNotifyNeedsAction(false);
    off.update(off.session(S::needsAction, migrate));
    EXPECT_TRUE(off.notices.shown.empty());

    // K.O. only when switched on, and only after a turn of more than a minute.
    for (auto [on, promptAgo, expected] :
         {std::tuple{false, 300.0, 0u}, {true, 30.0, 0u}, {true, 300.0, 1u}}) {
        Notifier n;
        n.settings.setNotifyCompleted(on);
        n.update(n.session(S::working, {}, promptAgo));
        n.update(n.session(S::completed, {}, promptAgo));
        EXPECT_EQ(n.notices.shown.size(), expected) << on << " " << promptAgo;
    }
}
